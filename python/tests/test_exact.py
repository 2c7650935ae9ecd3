"""Exact answers judged independently: the MPS file read again here into
fractions, and the exact values checked against it with Python's own
rational arithmetic: every row and bound holds, the reduced costs are the
costs less A^T y, every dual and reduced cost has the sign an optimum needs,
and complementary slackness holds, so the point is optimal."""

import gzip
from collections import defaultdict
from fractions import Fraction

import pytest

import lpsens
from conftest import EXAMPLES, NETLIB, netlib, program_json


def read_mps(path):
    """A free-format MPS reader into fractions (the Netlib files)."""
    opener = gzip.open if str(path).endswith(".gz") else open
    rows, kinds, objective = [], {}, None
    columns, costs, entries = [], {}, defaultdict(dict)
    rhs, ranges, bounds = {}, {}, defaultdict(dict)
    section = None
    with opener(path, "rt") as f:
        for line in f:
            if not line.strip() or line.startswith("*"):
                continue
            if not line[0].isspace():
                section = line.split()[0]
                continue
            fields = line.split()
            if section == "ROWS":
                kind, name = fields
                if kind == "N":
                    objective = objective or name
                    continue
                rows.append(name)
                kinds[name] = kind
            elif section == "COLUMNS":
                if "'MARKER'" in fields:
                    continue
                name = fields[0]
                if name not in costs:
                    columns.append(name)
                    costs[name] = Fraction(0)
                for row, value in zip(fields[1::2], fields[2::2]):
                    if row == objective:
                        costs[name] += Fraction(value)
                    elif row in kinds:
                        entries[name][row] = entries[name].get(row, 0) + Fraction(value)
            elif section in ("RHS", "RANGES"):
                pairs = fields[1:] if len(fields) % 2 == 1 else fields
                for row, value in zip(pairs[0::2], pairs[1::2]):
                    (rhs if section == "RHS" else ranges)[row] = Fraction(value)
            elif section == "BOUNDS":
                kind, column = fields[0], fields[2] if len(fields) > 2 else fields[1]
                value = Fraction(fields[3]) if len(fields) > 3 else None
                b = bounds[column]
                if kind == "UP":
                    b["upper"] = value
                    if value < 0 and "lower" not in b:
                        b["lower"] = None
                elif kind == "LO":
                    b["lower"] = value
                elif kind == "FX":
                    b["lower"] = b["upper"] = value
                elif kind == "FR":
                    b["lower"] = b["upper"] = None
                elif kind == "MI":
                    b["lower"] = None
                elif kind == "PL":
                    b["upper"] = None
    sides = {}
    for row in rows:
        b, r = rhs.get(row, Fraction(0)), ranges.get(row)
        kind = kinds[row]
        lo, up = (None, b) if kind == "L" else (b, None) if kind == "G" else (b, b)
        if r is not None:
            if kind == "L":
                lo = b - abs(r)
            elif kind == "G":
                up = b + abs(r)
            elif r > 0:
                up = b + r
            else:
                lo = b + r
        sides[row] = (lo, up)
    column_bounds = {c: (bounds[c].get("lower", Fraction(0)), bounds[c].get("upper")) for c in columns}
    return rows, sides, columns, costs, entries, column_bounds


def judge(path, exact, maximise=False):
    rows, sides, columns, costs, entries, column_bounds = read_mps(path)
    sense = -1 if maximise else 1
    x = dict(zip(columns, exact.values))
    y = dict(zip(rows, exact.duals))
    d = dict(zip(columns, exact.reduced_costs))
    activity = defaultdict(Fraction)
    for c in columns:
        for row, a in entries[c].items():
            activity[row] += a * x[c]
    for row in rows:
        lo, up = sides[row]
        assert lo is None or activity[row] >= lo, row
        assert up is None or activity[row] <= up, row
        assert activity[row] == exact.activities[rows.index(row)], row
        # The dual's sign: >= 0 (minimising) only where the row stands on its lower side.
        if sense * y[row] > 0:
            assert lo is not None and activity[row] == lo, row
        if sense * y[row] < 0:
            assert up is not None and activity[row] == up, row
    objective = Fraction(0)
    for c in columns:
        lo, up = column_bounds[c]
        assert lo is None or x[c] >= lo, c
        assert up is None or x[c] <= up, c
        reduced = costs[c] - sum(a * y[row] for row, a in entries[c].items())
        assert reduced == d[c], c
        if sense * reduced > 0:
            assert lo is not None and x[c] == lo, c
        if sense * reduced < 0:
            assert up is not None and x[c] == up, c
        objective += costs[c] * x[c]
    assert objective == exact.objective


@pytest.mark.parametrize("name", ["sc50b", "adlittle", "kb2", "recipe", "share1b", "scagr7", "boeing1", "capri"])
def test_exact_optima_hold_in_pythons_own_fractions(name):
    path = netlib(name)
    result = lpsens.read(path).solve(exact=True)
    assert result.verified_exactly and result.exact.proof == "optimal"
    judge(path, result.exact)
    assert abs(float(result.exact.objective) - result.objective) <= 1e-9 * max(1, abs(result.objective))


def test_the_exact_section_is_the_command_lines(tmp_path):
    path = netlib("adlittle")
    expected = program_json(tmp_path, path, "--exact")
    assert expected["verified"] == "exact"
    result = lpsens.read(path).solve(exact=True)
    assert result.json["exact"] == expected["exact"]


@pytest.mark.parametrize("name, proof", [("mps/infeasible.mps", "infeasible"), ("mps/unbounded.mps", "unbounded"),
                                         ("sample.lp", "optimal"), ("lp-format/mix.lp", "optimal")])
def test_every_verdict_of_the_examples_is_proven(name, proof):
    result = lpsens.read(EXAMPLES / name).solve(exact=True)
    assert result.exact.proof == proof and result.verified_exactly


def test_without_exact_there_is_no_proof():
    result = lpsens.read(EXAMPLES / "sample.lp").solve()
    assert result.exact is None and not result.verified_exactly and result.verified
