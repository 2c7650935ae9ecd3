#!/usr/bin/env python3
"""A multicommodity flow model in free MPS, for runs of real size.

    make_flow_model.py NODES ARCS COMMODITIES SEED CAPACITY [--bounds] > model.mps

The graph is a two-way ring of NODES nodes with random arcs added up to ARCS;
each commodity sends 5 to 15 units from one random node to another; every
arc's joint capacity is CAPACITY to 2 CAPACITY. Rows: NODES x COMMODITIES
flow balances (=) and ARCS capacities (<=); columns: ARCS x COMMODITIES.
--bounds gives every column an upper bound of 10 to 30.
4000 12000 25 1 40 makes 112,000 rows and 300,000 columns.
"""
import random
import sys


def main():
    args = [a for a in sys.argv[1:] if a != "--bounds"]
    if len(args) != 5:
        sys.exit(__doc__)
    nodes, arc_count, commodities, seed, capacity = (int(a) for a in args)
    if arc_count < 2 * nodes:
        sys.exit("ARCS must be at least 2 NODES (the ring)")
    random.seed(seed)
    arcs = set()
    for i in range(nodes):
        arcs.add((i, (i + 1) % nodes))
        arcs.add(((i + 1) % nodes, i))
    while len(arcs) < arc_count:
        u, v = random.randrange(nodes), random.randrange(nodes)
        if u != v:
            arcs.add((u, v))
    arcs = sorted(arcs)
    cost = [random.randint(1, 20) for _ in arcs]
    cap = [random.randint(capacity, 2 * capacity) for _ in arcs]
    out = sys.stdout
    out.write("NAME FLOW\nROWS\n N COST\n")
    for k in range(commodities):
        for n in range(nodes):
            out.write(f" E F{k}_{n}\n")
    for a in range(len(arcs)):
        out.write(f" L C{a}\n")
    out.write("COLUMNS\n")
    for k in range(commodities):
        for a, (u, v) in enumerate(arcs):
            c = cost[a] + random.randint(0, 3)
            out.write(f" X{k}_{a} COST {c} F{k}_{u} 1\n X{k}_{a} F{k}_{v} -1 C{a} 1\n")
    out.write("RHS\n")
    for k in range(commodities):
        s = random.randrange(nodes)
        t = random.randrange(nodes)
        while t == s:
            t = random.randrange(nodes)
        d = random.randint(5, 15)
        out.write(f" B F{k}_{s} {d} F{k}_{t} {-d}\n")
    for a in range(len(arcs)):
        out.write(f" B C{a} {cap[a]}\n")
    if "--bounds" in sys.argv[1:]:
        out.write("BOUNDS\n")
        for k in range(commodities):
            for a in range(len(arcs)):
                out.write(f" UP BND X{k}_{a} {random.randint(10, 30)}\n")
    out.write("ENDATA\n")


main()
