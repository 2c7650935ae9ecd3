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
