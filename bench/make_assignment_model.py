#!/usr/bin/env python3
"""The linear relaxation of a random quadratic assignment problem, in free MPS:
the classic hard case of dual degeneracy and fill in the factors.

    make_assignment_model.py N SEED > model.mps

N facilities on N sites of a grid 4 (N > 12: 5) wide, Manhattan distances,
random symmetric flows of 0 to 10. Variables x_ij (facility i on site j) and
y_ijkl = x_ij x_kl for i < k, j != l; rows: the two assignment families and,
for each x_ij, the sums of y over l (for each k) and over k (for each l).
N = 12 makes 3,192 rows and 8,856 columns, the shape of Netlib's qap12.
"""
import random
import sys


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    n, seed = int(sys.argv[1]), int(sys.argv[2])
    random.seed(seed)
    width = 4 if n <= 12 else 5
    site = [(p // width, p % width) for p in range(n)]
    dist = [[abs(a[0] - b[0]) + abs(a[1] - b[1]) for b in site] for a in site]
    flow = [[0] * n for _ in range(n)]
    for i in range(n):
        for k in range(i + 1, n):
            flow[i][k] = flow[k][i] = random.choice([0, 0, 0, 1, 2, 3, 4, 5, 6, 8, 10])

    def x(i, j):
        return f"X{i}_{j}"

    def y(i, j, k, l):
        if i > k:
            i, j, k, l = k, l, i, j
        return f"Y{i}_{j}_{k}_{l}"

    entries = {}
    cost = {}
    for i in range(n):
        for j in range(n):
            entries[x(i, j)] = []
            cost[x(i, j)] = 0
    for i in range(n):
        for k in range(i + 1, n):
            for j in range(n):
                for l in range(n):
                    if j != l:
                        entries[y(i, j, k, l)] = []
                        cost[y(i, j, k, l)] = flow[i][k] * dist[j][l] + flow[k][i] * dist[l][j]
    rows = []
    for i in range(n):
        rows.append(f"A{i}")
        for j in range(n):
            entries[x(i, j)].append((f"A{i}", 1))
    for j in range(n):
        rows.append(f"B{j}")
        for i in range(n):
            entries[x(i, j)].append((f"B{j}", 1))
    for i in range(n):
        for j in range(n):
            for k in range(n):
                if k != i:
                    r = f"R{i}_{j}_{k}"
                    rows.append(r)
                    for l in range(n):
                        if l != j:
                            entries[y(i, j, k, l)].append((r, 1))
                    entries[x(i, j)].append((r, -1))
            for l in range(n):
                if l != j:
                    r = f"S{i}_{j}_{l}"
                    rows.append(r)
                    for k in range(n):
                        if k != i:
                            entries[y(i, j, k, l)].append((r, 1))
                    entries[x(i, j)].append((r, -1))
    out = sys.stdout
    out.write("NAME ASSIGNMENT\nROWS\n N OBJ\n")
    for r in rows:
        out.write(f" E {r}\n")
    out.write("COLUMNS\n")
    for name, column in entries.items():
        if cost[name]:
            out.write(f" {name} OBJ {cost[name]}\n")
        for r, v in column:
            out.write(f" {name} {r} {v}\n")
    out.write("RHS\n")
    for i in range(n):
        out.write(f" RHS A{i} 1 B{i} 1\n")
    out.write("ENDATA\n")


main()
