"""Sweeps: their records, how they end, their charts."""

import numpy as np
import pytest

import lpsens
from conftest import EXAMPLES


def test_rhs_sweep_records_breakpoints_and_edge():
    model = lpsens.read(EXAMPLES / "mps/rhs_sweep.mps")
    sweep = model.sweep("labour", 60, 200)
    assert sweep.verified and sweep.kind == "rhs"
    ts = [r["t"] for r in sweep.records]
    assert ts == sorted(ts) and ts[0] == 0
    assert sweep.sweep_end["reason"] in ("end", "infeasible", "unbounded")
    table = sweep.table()
    assert list(table["labour"])[0] == 60
    for r in sweep.records:
        assert len(r["values"]) == model.shape[1] and len(r["duals"]) == model.shape[0]


def test_chart_is_svg_shown_inline():
    sweep = lpsens.read(EXAMPLES / "mps/rhs_sweep.mps").sweep("labour", 60, 200)
    chart = sweep.chart()
    assert chart.startswith("<?xml") or chart.startswith("<svg")
    assert chart._repr_svg_() == str(chart)


def test_cost_sweep_of_several_items_together():
    model = lpsens.read(EXAMPLES / "mps/objective_sweep.mps")
    names = model.column_names[:2]
    sweep = model.sweep(names, [1, 1], [9, 5], kind="cost")
    assert sweep.kind == "cost" and [i["name"] for i in sweep.items] == names
    assert sweep.records[-1]["t"] <= 1


def test_sweep_of_an_unknown_name_is_an_error():
    with pytest.raises(lpsens.Error):
        lpsens.read(EXAMPLES / "mps/rhs_sweep.mps").sweep("nosuchrow", 0, 1)


@pytest.mark.parametrize("kwargs", [dict(kind="bounds"), dict(start=[1, 2])])
def test_bad_sweeps_are_value_errors(kwargs):
    args = dict(name="labour", start=60, end=200)
    args.update(kwargs)
    with pytest.raises(ValueError):
        lpsens.read(EXAMPLES / "mps/rhs_sweep.mps").sweep(**args)


def with_bound(model, column, side, value):
    """The model with one bound of one column changed: a model of its own."""
    import scipy.sparse as sp
    a = model.arrays()
    lower, upper = a["column_lower"].copy(), a["column_upper"].copy()
    j = model.column_names.index(column)
    if side in ("lower", "both"):
        lower[j] = value
    if side in ("upper", "both"):
        upper[j] = value
    m, n = model.shape
    A = sp.csc_matrix((a["value"], a["row"], a["start"]), shape=(m, n))
    return lpsens.Model(a["costs"], A, a["row_lower"], a["row_upper"], lower, upper, sense=model.sense,
                        row_names=model.row_names, column_names=model.column_names, constant=a["constant"])


def judge_bound_sweep(model, column, side, kind, start, end):
    """Every record, and every midpoint between two records, against a fresh
    solve of the model with the bound at that value: the optimum is the
    straight line between records."""
    sweep = model.sweep(column, start, end, kind=kind)
    assert sweep.verified, sweep.json["checks"]
    records = sweep.records
    assert records, sweep.sweep_end
    for r in records:
        fresh = with_bound(model, column, side, r["items"][0]).solve()
        assert fresh.status is lpsens.Status.OPTIMAL
        assert abs(fresh.objective - r["objective"]) <= 1e-7 * max(1, abs(r["objective"]))
    for a, b in zip(records, records[1:]):
        x = (a["items"][0] + b["items"][0]) / 2
        fresh = with_bound(model, column, side, x).solve()
        assert abs(fresh.objective - (a["objective"] + b["objective"]) / 2) <= 1e-7 * max(1, abs(fresh.objective))
    if sweep.sweep_end["reason"] == "infeasible":
        beyond = sweep.sweep_end["at"] + (end - start) * 1e-3
        try:
            assert with_bound(model, column, side, beyond).solve().status is lpsens.Status.INFEASIBLE
        except lpsens.Error as error:  # the bounds themselves cross
            assert "above the upper one" in str(error)
    return sweep


def test_bound_sweeps_against_fresh_solves():
    model = lpsens.Model([3, 2], [[1, 1], [1, 3]], row_upper=[4, 6], column_upper=[3, np.inf], sense="max",
                         row_names=["cap", "lab"], column_names=["a", "b"])
    up = judge_bound_sweep(model, "a", "upper", "upper", 0, 6)
    assert [r["items"][0] for r in up.records] == pytest.approx([0, 3, 4, 6], rel=1e-12)
    assert up.kind == "bound"
    down = judge_bound_sweep(model, "a", "upper", "upper", 6, 0)
    assert [r["objective"] for r in down.records] == pytest.approx([12, 12, 11, 4], rel=1e-12)
    low = judge_bound_sweep(model, "a", "lower", "lower", 0, 5)
    assert low.sweep_end == {"reason": "infeasible", "at": 3, "t": 0.6}
    # A column with one bound: "bound" is that one.
    judge_bound_sweep(model, "b", "lower", "bound", 0, 2)
    # lpsens's own format too.
    judge_bound_sweep(lpsens.read(EXAMPLES / "sample.lp"), "x1", "lower", "bound", 0, 3)
    with pytest.raises(lpsens.Error, match="two bounds"):
        model.sweep("a", 0, 1, kind="bound")
    with pytest.raises(lpsens.Error, match="no upper bound"):
        model.sweep("b", 0, 1, kind="upper")


@pytest.mark.parametrize("name", ["boeing1", "scagr7", "sc50b"])
def test_bound_sweeps_of_netlib_columns(name):
    from conftest import netlib
    model = lpsens.read(netlib(name))
    a = model.arrays()
    result = model.solve()
    # The first columns with a finite upper bound, or else the largest value's column's lower bound.
    bounded = [j for j in range(model.shape[1]) if np.isfinite(a["column_upper"][j])
               and a["column_upper"][j] > a["column_lower"][j]]
    if bounded:
        j = bounded[0]
        u = a["column_upper"][j]
        judge_bound_sweep(model, model.column_names[j], "upper", "upper", u, a["column_lower"][j])
    j = int(np.argmax(result.values))
    v = result.values[j]
    judge_bound_sweep(model, model.column_names[j], "lower", "lower", a["column_lower"][j], v * 1.5 + 1)
