"""Scenario batches: warm starts from the model's basis, judged by fresh
solves of the changed model and by scipy's HiGHS; here, on threads, on
processes and on a Dask cluster of two worker processes."""

import concurrent.futures
import json
import subprocess

import numpy as np
import pytest
import scipy.optimize
import scipy.sparse as sp

import lpsens
from conftest import PROGRAM, netlib


def rhs_scenarios(model, count, seed=7):
    rng = np.random.default_rng(seed)
    arrays = model.arrays()
    names = model.row_names
    out = []
    for _ in range(count):
        k = int(rng.integers(len(names)))
        side = arrays["row_upper"][k] if np.isfinite(arrays["row_upper"][k]) else arrays["row_lower"][k]
        out.append({"rhs:" + names[k]: float(side * rng.uniform(0.8, 1.2) + rng.uniform(-1, 1))})
    return out


def changed(model, scenario):
    """The model with a scenario's right-hand side changes, as a model of its own."""
    a = model.arrays()
    lower, upper = a["row_lower"].copy(), a["row_upper"].copy()
    for item, value in scenario.items():
        k = model.row_names.index(item.split(":", 1)[1])
        side = upper[k] if np.isfinite(upper[k]) else lower[k]
        lower[k] += value - side
        upper[k] += value - side
    m, n = model.shape
    A = sp.csc_matrix((a["value"], a["row"], a["start"]), shape=(m, n))
    return lpsens.Model(a["costs"], A, lower, upper, a["column_lower"], a["column_upper"], sense=model.sense,
                        row_names=model.row_names, column_names=model.column_names), A, lower, upper, a


def highs(A, lower, upper, a, maximise):
    """The optimum by scipy's HiGHS: an independent method."""
    finite_up, finite_low = np.isfinite(upper), np.isfinite(lower)
    eq = finite_up & finite_low & (lower == upper)
    rows_ub = sp.vstack([A[finite_up & ~eq], -A[finite_low & ~eq]])
    b_ub = np.concatenate([upper[finite_up & ~eq], -lower[finite_low & ~eq]])
    c = -a["costs"] if maximise else a["costs"]
    r = scipy.optimize.linprog(c, A_ub=rows_ub, b_ub=b_ub, A_eq=A[eq], b_eq=lower[eq],
                               bounds=list(zip(np.where(np.isfinite(a["column_lower"]), a["column_lower"], None),
                                               np.where(np.isfinite(a["column_upper"]), a["column_upper"], None))),
                               method="highs")
    return r.status, (None if r.status != 0 else (-r.fun if maximise else r.fun) + a["constant"])


@pytest.mark.parametrize("name", ["adlittle", "sc50b", "share1b"])
def test_warm_scenarios_agree_with_fresh_solves_and_highs(name):
    model = lpsens.read(netlib(name))
    scenarios = rhs_scenarios(model, 12)
    results = lpsens.solve_many(model, scenarios)
    assert [r.label for r in results] == [str(k + 1) for k in range(12)]
    for scenario, result in zip(scenarios, results):
        fresh_model, A, lower, upper, a = changed(model, scenario)
        fresh = fresh_model.solve()
        status, optimum = highs(A, lower, upper, a, model.sense == "max")
        assert result.verified and fresh.verified
        assert result.status.value == fresh.status.value
        assert (status == 0) == (result.status is lpsens.Status.OPTIMAL)
        if optimum is not None:
            scale = max(1, abs(optimum))
            assert abs(result.objective - fresh.objective) <= 1e-9 * scale
            assert abs(result.objective - optimum) <= 1e-6 * scale


def test_cold_and_warm_agree_and_warm_takes_fewer_iterations():
    model = lpsens.read(netlib("scfxm2"))
    scenarios = rhs_scenarios(model, 10)
    warm = lpsens.solve_many(model, scenarios)
    cold = lpsens.solve_many(model, scenarios, warm=False)
    for w, c in zip(warm, cold):
        assert w.status == c.status
        if w.objective is not None:
            assert abs(w.objective - c.objective) <= 1e-9 * max(1, abs(c.objective))
    assert sum(w.iterations for w in warm) * 3 < sum(c.iterations for c in cold)


def test_forms_of_a_scenario_and_every_kind_of_change():
    model = lpsens.Model([3, 2], [[1, 1], [1, 3]], row_upper=[4, 6], sense="max",
                         row_names=["cap", "lab"], column_names=["a", "b"])
    results = lpsens.solve_many(model, [
        {},                                        # the model itself: 12 at (4, 0)
        {"cap": 5},                                # a bare row name: its right-hand side
        {"a": 1},                                  # a bare column name: its cost
        {"rhs": {"cap": 2}, "upper": {"a": 1}},    # kinds with their items
        [("lower:b", 1)],                          # pairs
        {"lower:a": 5},                            # infeasible: a >= 5 but a + b <= 4
        {"upper:b": float("inf"), "lab": float("nan")},  # NaN leaves lab as it is
    ])
    assert [r.objective for r in results[:5]] == [12, 15, 5, 5, 11]
    assert results[5].status is lpsens.Status.INFEASIBLE and results[5].verified and results[5].values is None
    assert results[6].objective == 12 and results[6].changes == {"upper:b": float("inf")}
    np.testing.assert_array_equal(results[3].values, [1, 1])


def test_a_data_frame_of_scenarios():
    pd = pytest.importorskip("pandas")
    model = lpsens.read(netlib("adlittle"))
    frame = pd.DataFrame({"rhs:....02": [50, 55, np.nan], "cost:...100": [np.nan, -3000, -3100]},
                         index=["a", "b", "c"])
    results = lpsens.solve_many(model, frame)
    assert [r.label for r in results] == ["a", "b", "c"]
    assert results[2].changes == {"cost:...100": -3100.0}


@pytest.mark.parametrize("scenario, words", [
    ({"rhs:nosuch": 1}, "the model has no row 'nosuch'"),
    ({"upper:cap": 1}, "the model has no column 'cap'"),
    ({"width:a": 1}, "the kind 'width' is none of"),
    ({"rhs:cap": float("inf")}, "must be finite"),
    ({"lower:a": float("inf")}, "cannot be +infinity"),
])
def test_bad_scenarios_are_errors(scenario, words):
    model = lpsens.Model([3, 2], [[1, 1], [1, 3]], row_upper=[4, 6], row_names=["cap", "lab"],
                         column_names=["a", "b"])
    with pytest.raises(lpsens.Error) as error:
        lpsens.solve_many(model, [scenario])
    assert words in str(error.value)


def test_a_name_that_is_a_row_and_a_column_must_say_which():
    model = lpsens.Model([1], [[1]], row_upper=[1], row_names=["x"], column_names=["x"])
    with pytest.raises(lpsens.Error, match="both a row and a column"):
        lpsens.solve_many(model, [{"x": 1}])
    assert lpsens.solve_many(model, [{"rhs:x": 2}])[0].status is lpsens.Status.OPTIMAL


@pytest.mark.parametrize("make", [
    lambda: concurrent.futures.ThreadPoolExecutor(2),
    lambda: concurrent.futures.ProcessPoolExecutor(2),
])
def test_executors_give_the_same_results(make):
    model = lpsens.read(netlib("sc50b"))
    scenarios = rhs_scenarios(model, 40)
    here = lpsens.solve_many(model, scenarios)
    with make() as executor:
        there = lpsens.solve_many(model, scenarios, executor=executor)
    assert [(r.label, r.status, r.objective) for r in there] == [(r.label, r.status, r.objective) for r in here]
    for a, b in zip(here, there):
        if a.values is not None:
            np.testing.assert_array_equal(a.values, b.values)


def test_a_dask_cluster_of_two_worker_processes():
    distributed = pytest.importorskip("distributed")
    model = lpsens.read(netlib("adlittle"))
    scenarios = rhs_scenarios(model, 60)
    here = lpsens.solve_many(model, scenarios)
    with distributed.LocalCluster(n_workers=2, threads_per_worker=1, processes=True, dashboard_address=None) as cluster, \
            distributed.Client(cluster) as client:
        there = lpsens.solve_many(model, scenarios, executor=client)
        workers = client.run(lambda: __import__("os").getpid())
    assert len(set(workers.values())) == 2
    assert [(r.status, r.objective) for r in there] == [(r.status, r.objective) for r in here]


def test_the_command_line_gives_the_same_results(tmp_path):
    if not PROGRAM:
        pytest.skip("LPSENS_PROGRAM names no lpsens program")
    path = netlib("adlittle")
    model = lpsens.read(path)
    scenarios = rhs_scenarios(model, 20)
    table = tmp_path / "s.csv"
    items = sorted({k for s in scenarios for k in s})
    lines = ["scenario," + ",".join(items)]
    for k, s in enumerate(scenarios):
        lines.append("s%d," % k + ",".join(repr(s[i]) if i in s else "" for i in items))
    table.write_text("\n".join(lines) + "\n")
    out = tmp_path / "s.json"
    run = subprocess.run([PROGRAM, str(path), "--scenarios=" + str(table), "--json=" + str(out)],
                         capture_output=True, text=True)
    assert run.returncode == 0, run.stderr
    expected = json.loads(out.read_text())
    results = lpsens.solve_many(model, scenarios)
    assert len(expected["scenarios"]) == len(results)
    for e, r in zip(expected["scenarios"], results):
        assert e["status"] == r.status.value and e["objective"] == r.objective
        if r.values is not None:
            assert e["values"] == list(r.values) and e["duals"] == list(r.duals)
    assert run.stdout.splitlines()[0] == "scenario,status,objective"


@pytest.mark.parametrize("table, args, code, words", [
    ("rhs:nosuch\n1\n", [], 106, "s.csv:1: 'rhs:nosuch': the model has no row 'nosuch'"),
    ("....02\n1\n2,3\n", [], 106, "s.csv:3: the line has 2 cells for 1 heading"),
    ("....02\n1\n", ["rv"], 64, "--scenarios needs an ordinary run"),
    ("....02\n1\n", ["--classic"], 64, "--scenarios needs an ordinary run"),
])
def test_the_command_lines_bad_tables_and_options(tmp_path, table, args, code, words):
    if not PROGRAM:
        pytest.skip("LPSENS_PROGRAM names no lpsens program")
    (tmp_path / "s.csv").write_text(table)
    run = subprocess.run([PROGRAM, *args, str(netlib("adlittle")), "--scenarios=s.csv"], cwd=tmp_path,
                         capture_output=True, text=True)
    assert run.returncode == code
    assert words in run.stderr


def test_the_command_lines_table_of_verdicts(tmp_path):
    if not PROGRAM:
        pytest.skip("LPSENS_PROGRAM names no lpsens program")
    (tmp_path / "s.csv").write_text('scenario,rhs:cap,lower:a\nplain,,\n"more, and more",5,\nnone,,5\n')
    model = tmp_path / "m.lp"
    model.write_text("Maximize\n obj: 3 a + 2 b\nSubject To\n cap: a + b <= 4\n lab: a + 3 b <= 6\nEnd\n")
    run = subprocess.run([PROGRAM, str(model), "--scenarios=s.csv", "--quiet"], cwd=tmp_path, capture_output=True)
    assert run.returncode == 0, run.stderr
    assert run.stdout == (b"scenario,status,objective\r\nplain,optimal,12\r\n\"more, and more\",optimal,15\r\n"
                          b"none,infeasible,\r\n")


def test_crossed_bounds_are_infeasible_and_leave_the_solver_as_it_was():
    model = lpsens.Model([3, 2], [[1, 1], [1, 3]], row_upper=[4, 6], column_upper=[3, np.inf], sense="max",
                         row_names=["cap", "lab"], column_names=["a", "b"])
    results = lpsens.solve_many(model, [{"lower:a": 5}, {}, {"upper:a": -1, "lab": 3}, {}])
    assert [r.status for r in results] == [lpsens.Status.INFEASIBLE, lpsens.Status.OPTIMAL] * 2
    assert results[0].verified and results[1].objective == results[3].objective == 11
