"""The package's results are the command line's JSON, number for number."""

import json

import numpy as np
import pytest

import lpsens
from conftest import NETLIB, NETLIB_LARGE, program_json

NETLIB_PROBLEMS = sorted(NETLIB.glob("*.mps")) + sorted(NETLIB_LARGE.glob("*.mps*"))


def same_model_sections(result, expected):
    got = result.json
    for key in ("title", "mode", "engine", "status", "verified", "objective", "model"):
        assert got.get(key) == expected.get(key), key


@pytest.mark.parametrize("path", NETLIB_PROBLEMS, ids=lambda p: p.name)
def test_netlib_results_equal_the_command_lines_json(tmp_path, path):
    expected = program_json(tmp_path, path)
    result = lpsens.read(path).solve()
    same_model_sections(result, expected)
    model = expected["model"]
    # The arrays are the JSON's numbers themselves.
    np.testing.assert_array_equal(result.values, [v["value"] for v in model["variables"]])
    np.testing.assert_array_equal(result.duals, [r["dual"] for r in model["rows"]])
    assert result.objective == model["objective"]
    # And the ranging tables hold the JSON's ranging, null as infinite limits.
    ranging = result.ranging()
    for k, row in enumerate(model["rows"]):
        r = row["rhs_ranging"]
        if r is not None:
            assert ranging.rhs["lower"].iloc[k] == (-np.inf if r["lower"] is None else r["lower"])
            assert ranging.rhs["upper"].iloc[k] == (np.inf if r["upper"] is None else r["upper"])
    for k, v in enumerate(model["variables"]):
        r = v["cost_ranging"]
        if r is not None and r["objective_at_upper"] is not None:
            assert ranging.cost["objective_at_upper"].iloc[k] == r["objective_at_upper"]


@pytest.mark.parametrize("args, kind, names", [
    (("rv", "{examples}/mps/rhs_sweep.mps", "--sweep=labour:60:200"), "rhs", ["labour"]),
    (("pv", "{examples}/mps/objective_sweep.mps", "--sweep=chairs:1:9"), "cost", ["chairs"]),
])
def test_sweeps_equal_the_command_lines_json(tmp_path, args, kind, names):
    from conftest import EXAMPLES
    args = [a.format(examples=EXAMPLES) for a in args]
    expected = program_json(tmp_path, *args)
    name, start, end = args[2].split("=")[1].split(":")
    sweep = lpsens.read(args[1]).sweep(name, float(start), float(end), kind=kind)
    assert sweep.json["model"] == expected["model"]
    assert sweep.sweep_end == expected["sweep_end"]
    assert sweep.json["records"] == expected["records"]
