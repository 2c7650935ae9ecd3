"""Exact answers judged independently: the MPS file read again here into
fractions, and the exact values checked against it with Python's own
rational arithmetic: every row and bound holds, the reduced costs are the
costs less A^T y, every dual and reduced cost has the sign an optimum needs,
and complementary slackness holds, so the point is optimal."""

import gzip
import itertools
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
    assert bool(result.exact.farkas) == (proof == "infeasible")
    assert bool(result.exact.ray) == (proof == "unbounded")


def test_without_exact_there_is_no_proof():
    result = lpsens.read(EXAMPLES / "sample.lp").solve()
    assert result.exact is None and not result.verified_exactly and result.verified


# --- Problems of lpsens's own format with values at the stored format's
# limits, each run with --accurate --exact; every proof the JSON gives is
# checked here in Python's fractions against the problem as the stored
# format keeps it.

def stored(text):
    """A decimal as the 6-byte stored real keeps it: rounded to the 64-bit
    significand of extended precision (ties to even), then to 40 bits by the
    highest dropped bit (ties away from zero); below 2^-129 it is 0."""
    x = Fraction(text)
    if x == 0:
        return x
    sign, x = (-1 if x < 0 else 1), abs(x)
    e = x.numerator.bit_length() - x.denominator.bit_length()
    if Fraction(2) ** e > x:
        e -= 1
    unit = Fraction(2) ** (e - 63)
    q, r = divmod(x, unit)
    q = int(q) + (1 if r * 2 > unit or (r * 2 == unit and q % 2 == 1) else 0)
    kept, dropped = q >> 24, q & ((1 << 24) - 1)
    kept += 1 if dropped >> 23 else 0
    value = kept * unit * (1 << 24)
    return Fraction(0) if value < Fraction(2) ** -129 else sign * value


def extreme_problem(rng, t):
    def value():
        r = rng.random()
        if r < 0.25:
            return "0"
        if r < 0.5:
            return str(rng.randint(-9, 9))
        e = rng.choice([-38, -37, -30, -20, -10, -5, 5, 10, 20, 30, 37, 38])
        m = rng.randint(1, 9) if e < 38 else 1
        return "%s%de%d" % ("-" if rng.random() < 0.4 else "", m, e)
    n, m = rng.randint(1, 3), rng.randint(1, 4)
    kinds = ["E" if u < 0.2 else "G" if u < 0.4 else "L" for u in (rng.random() for _ in range(m))]
    eq = [str(i + 1) for i in range(m) if kinds[i] == "E"]
    ge = [str(i + 1) for i in range(m) if kinds[i] == "G"]
    lines = ["Extreme %d" % t, "%d %d %d %d" % (m, n, len(eq), len(ge))]
    lines += [" ".join(eq)] if eq else []
    lines += [" ".join(ge)] if ge else []
    lines += ["x%d" % (j + 1) for j in range(n)] + ["r%d" % (i + 1) for i in range(m)]
    costs = [value() for _ in range(n)]
    rows = []
    for i in range(m):
        rhs = value() if rng.random() < 0.7 else str(rng.randint(0, 9))
        rows.append((rhs, [value() for _ in range(n)]))
    lines += ["0"] + costs
    for rhs, a in rows:
        lines += [rhs] + a
    problem = {"kinds": kinds, "costs": [stored(c) for c in costs],
               "rows": [(stored(rhs), [stored(v) for v in a]) for rhs, a in rows]}
    return "\r\n".join(lines) + "\r\n", problem


def judge_native(problem, exact):
    kinds, costs, rows = problem["kinds"], problem["costs"], problem["rows"]
    n = len(costs)
    def side(i, r):  # how row i's activity r stands: ok?
        rhs = rows[i][0]
        return r <= rhs if kinds[i] == "L" else r >= rhs if kinds[i] == "G" else r == rhs
    if exact["proof"] == "optimal":
        x = [Fraction(v["value"]) for v in exact["variables"]]
        y = [Fraction(r["dual"]) for r in exact["rows"]]
        d = [Fraction(v["reduced_cost"]) for v in exact["variables"]]
        for i, (rhs, a) in enumerate(rows):
            r = sum(aj * xj for aj, xj in zip(a, x))
            assert side(i, r) and Fraction(exact["rows"][i]["activity"]) == r
            # Maximising: a row's dual is >= 0 on its upper side (<=), <= 0 on its lower side.
            if y[i] != 0:
                assert r == rhs and (kinds[i] == "E" or (y[i] > 0) == (kinds[i] == "L"))
        for j in range(n):
            assert x[j] >= 0
            assert d[j] == costs[j] - sum(rows[i][1][j] * y[i] for i in range(len(rows)))
            assert d[j] <= 0 and (d[j] == 0 or x[j] == 0)
        assert Fraction(exact["objective"]) == sum(c * v for c, v in zip(costs, x))
    elif exact["proof"] == "infeasible":
        y = [Fraction(v) for v in exact["farkas"]]
        z = [sum(rows[i][1][j] * y[i] for i in range(len(rows))) for j in range(n)]
        assert all(zj <= 0 for zj in z)  # max z x over x >= 0 is 0
        smallest = 0
        for i, (rhs, _) in enumerate(rows):
            if y[i] > 0:
                assert kinds[i] != "L"
            if y[i] < 0:
                assert kinds[i] != "G"
            smallest += y[i] * rhs
        assert smallest > 0
    elif exact["proof"] == "unbounded":
        x = [Fraction(v) for v in exact["point"]]
        dx = [Fraction(v) for v in exact["ray"]]
        assert all(v >= 0 for v in x) and all(v >= 0 for v in dx)
        for i, (rhs, a) in enumerate(rows):
            assert side(i, sum(aj * xj for aj, xj in zip(a, x)))
            move = sum(aj * dj for aj, dj in zip(a, dx))
            assert move == 0 or (kinds[i] == "L" and move < 0) or (kinds[i] == "G" and move > 0)
        assert sum(c * v for c, v in zip(costs, dx)) > 0
    else:
        raise AssertionError("unproven: " + exact.get("why", ""))


def vertex_truth(problem):
    """The verdict and optimum of a generated problem by another method
    altogether: every vertex (n of the rows and bounds x >= 0 held as
    equations) solved in fractions, the best feasible one taken; unbounded
    where a feasible problem has a direction d >= 0 within the rows'
    recession cone (A_L d <= 0, A_G d >= 0, A_E d = 0) along which the
    objective grows, found the same way inside the box d <= 1."""
    kinds, costs, rows = problem["kinds"], problem["costs"], problem["rows"]
    n = len(costs)
    unit = [[Fraction(int(i == j)) for i in range(n)] for j in range(n)]

    def best(constraints):
        top = None
        for pick in itertools.combinations(constraints, n):
            m = [list(a) + [b] for a, _, b in pick]
            for c in range(n):
                pivot = next((r for r in range(c, n) if m[r][c] != 0), None)
                if pivot is None:
                    break
                m[c], m[pivot] = m[pivot], m[c]
                for r in range(n):
                    if r != c and m[r][c] != 0:
                        f = m[r][c] / m[c][c]
                        m[r] = [u - f * v for u, v in zip(m[r], m[c])]
            else:
                x = [m[i][n] / m[i][i] for i in range(n)]
                def holds(a, kind, b):
                    r = sum(u * v for u, v in zip(a, x))
                    return r <= b if kind == "L" else r >= b if kind == "G" else r == b
                if all(holds(*c) for c in constraints):
                    z = sum(c * v for c, v in zip(costs, x))
                    top = z if top is None or z > top else top
        return top

    signs = [(a, "G", Fraction(0)) for a in unit]
    optimum = best([(a, k, b) for (b, a), k in zip(rows, kinds)] + signs)
    if optimum is None:
        return "infeasible", None
    along = best([(a, k, Fraction(0)) for (_, a), k in zip(rows, kinds)] + signs + [(a, "L", Fraction(1)) for a in unit])
    if along is not None and along > 0:
        return "unbounded", None
    return "optimal", optimum


def printed_verdict(out):
    if "No feasible solution" in out:
        return "infeasible", None
    if "Unbounded solution" in out:
        return "unbounded", None
    line = next(l for l in out.splitlines() if l.startswith("Optimal value"))
    return "optimal", float(line.split(",")[1].replace("E+", "e+").replace("E-", "e-"))


def test_extreme_values_end_proven(tmp_path):
    """Problems at the format's extremes (1e-38 beside 1e38): every run,
    with --exact and without, ends with exit 0; the exact proof holds in
    fractions, and the plain run's verdict and printed optimum are those
    vertex enumeration finds."""
    import json as jsonlib
    import random
    import subprocess
    from conftest import PROGRAM
    if not PROGRAM:
        pytest.skip("LPSENS_PROGRAM names no lpsens program")
    rng = random.Random(11)
    verdicts = defaultdict(int)
    for t in range(250):
        text, problem = extreme_problem(rng, t)
        out = tmp_path / "out.json"
        run = subprocess.run([PROGRAM, "--accurate", "--exact", "--strict", "--json=" + str(out)], input=text.encode(),
                             cwd=tmp_path, capture_output=True)
        assert run.returncode == 0, (text, run.returncode, run.stderr)
        result = jsonlib.loads(out.read_text())
        judge_native(problem, result["exact"])
        assert result["verified"] == "exact", text
        plain = subprocess.run([PROGRAM, "--accurate", "--strict"], input=text.encode(), cwd=tmp_path,
                               capture_output=True)
        assert plain.returncode == 0, (text, plain.returncode, plain.stderr)
        verdict, value = printed_verdict(plain.stdout.decode("latin-1"))
        truth, optimum = vertex_truth(problem)
        assert verdict == truth, (text, plain.stdout)
        if truth == "optimal":
            # Printed with 3 decimals, or 7 significant digits beyond.
            assert abs(value - float(optimum)) <= 0.0005 + 6e-7 * abs(float(optimum)), (text, value, optimum)
        verdicts[truth] += 1
    assert min(verdicts.values()) >= 40, dict(verdicts)


def test_exact_ranging_agrees_with_the_floating_point_one():
    """Two ways to the same ranging: the model-terms ranging in floating
    point, and the exact one from the proven basis (made where it takes no
    longer than twice the solve: most of these small problems)."""
    compared = 0
    for name in ["adlittle", "sc50b", "kb2", "recipe", "share1b", "scagr7", "boeing1", "capri", "e226", "agg"]:
        result = lpsens.read(netlib(name)).solve(exact=True)
        if "rhs_ranging" not in result.json["exact"]["rows"][0]:
            assert "exact ranging is left out" in result.console
            continue
        compare_ranging(result.json["model"], result.json["exact"])
        compared += 1
    assert compared >= 5


def compare_ranging(model, exact):
    pairs = [(r["rhs_ranging"], e["rhs_ranging"]) for r, e in zip(model["rows"], exact["rows"])]
    pairs += [(v["cost_ranging"], e["cost_ranging"]) for v, e in zip(model["variables"], exact["variables"])]
    for floating, rational in pairs:
        for field in ("lower", "upper", "objective_at_lower", "objective_at_upper"):
            f, r = floating[field], rational[field]
            assert (f is None) == (r is None), (field, floating, rational)
            if f is not None:
                assert abs(float(Fraction(r)) - f) <= 1e-6 * max(1, abs(f)), (field, floating, rational)


def terminating_decimal(q):
    """q as a decimal of at most 15 significant digits, when it has one."""
    from decimal import Decimal, getcontext
    getcontext().prec = 40
    text = "%.15g" % float(q)
    return text if Fraction(text) == q else None


@pytest.mark.parametrize("name", ["sc50b", "adlittle"])
def test_the_objective_at_an_exact_limit_is_the_exact_optimum_there(tmp_path, name):
    """The right-hand side of rows moved to their exact limits and the model
    solved exactly again: the optimum there is the objective the ranging
    gave, to the last digit."""
    path = netlib(name)
    result = lpsens.read(path).solve(exact=True)
    if "rhs_ranging" not in result.json["exact"]["rows"][0]:
        pytest.skip("the exact ranging was left out on this machine: " + result.console)
    text = path.read_text()
    checked = 0
    for row in result.json["exact"]["rows"]:
        r = row["rhs_ranging"]
        for side in ("lower", "upper"):
            if r[side] is None or checked == 6:
                continue
            decimal = terminating_decimal(Fraction(r[side]))
            if decimal is None:
                continue
            out, section = [], None
            for line in text.splitlines():
                if not line[:1].isspace():
                    section = line.split()[0]
                    out.append(line)
                    if section == "RHS":
                        out.append("    RHS       %s  %s" % (row["name"], decimal))
                    continue
                fields = line.split()
                if section == "RHS" and row["name"] in fields[1::2]:
                    k = fields.index(row["name"])
                    del fields[k:k + 2]
                    if len(fields) <= 1:
                        continue
                    line = "    " + "  ".join(fields)
                out.append(line)
            moved = tmp_path / "moved.mps"
            moved.write_text("\n".join(out) + "\n")
            again = lpsens.read(moved).solve(exact=True)
            assert again.exact.proof == "optimal", (row["name"], side)
            assert again.exact.objective == Fraction(r["objective_at_" + side]), (row["name"], side)
            checked += 1
    assert checked >= 3


def test_a_solve_lost_at_the_exchange_cap_is_settled_exactly(tmp_path):
    """At the format's extremes the floating-point core cycles on this model
    (15 rows) until lpsens's own exchange cap; the run goes on in exact
    arithmetic and ends on the proven verdict.  A cap the user gives holds."""
    import subprocess
    from pathlib import Path
    from conftest import PROGRAM
    if not PROGRAM:
        pytest.skip("LPSENS_PROGRAM names no lpsens program")
    text = (Path(__file__).parent / "data" / "cycling_extreme.lp").read_bytes()
    run = subprocess.run([PROGRAM, "--accurate", "--strict"], input=text, cwd=tmp_path, capture_output=True)
    assert run.returncode == 0, run.stderr[-400:]
    assert run.stdout == b"Unbounded solution\r\n"
    assert run.stderr.endswith(b"lpsens: exact: the model is unbounded, proven in exact rational arithmetic\n")
    capped = subprocess.run([PROGRAM, "--accurate", "--strict", "--max-exchanges=500"], input=text, cwd=tmp_path,
                            capture_output=True)
    assert capped.returncode == 75, capped.stderr[-400:]
