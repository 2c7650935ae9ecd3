"""Models read, made from arrays and built; solved; their errors."""

import math
import pickle

import numpy as np
import pytest
import scipy.sparse as sp

import lpsens
from conftest import EXAMPLES, netlib, netlib_optima


def production():
    """max 3a + 2b  s.t.  a + b <= 4,  a + 3b <= 6,  a, b >= 0: optimum 12 at (4, 0)."""
    return lpsens.Model([3, 2], [[1, 1], [1, 3]], row_upper=[4, 6], sense="max",
                        row_names=["cap", "lab"], column_names=["a", "b"])


@pytest.mark.parametrize("path", [
    "mps/sample.mps", "lp-format/sample.lp", "sample.lp", "mps/mix.mps", "lp-format/mix.lp", "mix.lp",
])
def test_every_format_reads_and_the_same_model_solves_alike(path):
    model = lpsens.read(EXAMPLES / path)
    result = model.solve()
    assert result.verified and result.status is lpsens.Status.OPTIMAL
    assert len(result.values) == model.shape[1] or model.warnings is not None


def test_the_three_formats_of_one_model_agree():
    objectives = {lpsens.read(EXAMPLES / p).solve().objective for p in ("mps/mix.mps", "lp-format/mix.lp")}
    assert len(objectives) == 1


def test_verdicts_without_optimum():
    infeasible = lpsens.read(EXAMPLES / "mps/infeasible.mps").solve()
    assert infeasible.status is lpsens.Status.INFEASIBLE and infeasible.verified
    assert infeasible.values is None and infeasible.objective is None
    with pytest.raises(lpsens.Error):
        infeasible.ranging()
    unbounded = lpsens.read(EXAMPLES / "mps/unbounded.mps").solve()
    assert unbounded.status is lpsens.Status.UNBOUNDED


@pytest.mark.parametrize("make", [
    lambda: production(),
    lambda: lpsens.Model([3, 2], sp.csr_matrix([[1, 1], [1, 3]]), row_upper=[4, 6], sense="max",
                         row_names=["cap", "lab"], column_names=["a", "b"]),
    lambda: lpsens.Model([3, 2], sp.coo_matrix(([1, 1, 1, 3], ([0, 0, 1, 1], [0, 1, 0, 1]))), row_upper=[4, 6],
                         sense="maximise", row_names=["cap", "lab"], column_names=["a", "b"]),
])
def test_arrays_dense_and_sparse(make):
    result = make().solve()
    assert result.objective == 12
    np.testing.assert_array_equal(result.values, [4, 0])
    np.testing.assert_array_equal(result.duals, [3, 0])
    np.testing.assert_array_equal(result.reduced_costs, [0, -1])
    np.testing.assert_array_equal(result.activities, [4, 4])


def test_builder_makes_the_same_model():
    b = lpsens.Model(sense="max")
    b.add_row("cap", upper=4)
    b.add_row("lab", upper=6)
    b.add_column("a", 3, entries={"cap": 1, "lab": 1})
    b.add_column("b", 2, entries={"cap": 1, "lab": 3})
    assert b.row_names == ["cap", "lab"] and b.column_names == ["a", "b"]
    assert b.solve().json["model"] == production().solve().json["model"]
    b.add_row("floor", lower=1, entries={"b": 1})  # a row added after solving
    result = b.solve()
    assert result.objective == 11 and list(result.values) == [3, 1]


def test_ranged_equal_and_free_rows_and_bounds():
    # 1 <= x + y <= 3 (ranged), x - y = 0, -inf < x <= 5, y free: min -x - y
    m = lpsens.Model([-1, -1], [[1, 1], [1, -1]], row_lower=[1, 0], row_upper=[3, 0],
                     column_lower=[-np.inf, -np.inf], column_upper=[5, np.inf])
    r = m.solve()
    assert r.verified and r.objective == -3
    np.testing.assert_allclose(r.values, [1.5, 1.5])
    a = m.arrays()
    np.testing.assert_array_equal(a["row_lower"], [1, 0])
    np.testing.assert_array_equal(a["row_upper"], [3, 0])


@pytest.mark.parametrize("kwargs, words", [
    (dict(costs=[1, 2], A=[[1, 1]], row_upper=[1, 2]), "row upper sides has 2 entries"),
    (dict(costs=[1, 2], A=[[1, 1, 1]], row_upper=[1]), "A is 1x3, not 1x2"),
    (dict(costs=[1, math.nan], A=[[1, 1]], row_upper=[1]), "cost is not a finite number"),
    (dict(costs=[1, 2], A=[[1, math.inf]], row_upper=[1]), "an entry is not a finite number"),
    (dict(costs=[1, 2], A=[[1, 1]]), "row 'r1' has no finite side"),
    (dict(costs=[1, 2], A=[[1, 1]], row_lower=[2], row_upper=[1]), "the lower side 2.000000 is above the upper one"),
    (dict(costs=[1, 2], A=[[1, 1]], row_upper=[1], column_lower=[0, 3], column_upper=[1, 2]), "column 'x2'"),
    (dict(costs=[1, 2], A=[[1, 1]], row_upper=[1], column_names=["a", "a"]), "'a' is given twice"),
    (dict(costs=[1, 2], A=[[1, 1]], row_upper=[1], column_names=["a", "b c"]), "holds a blank"),
    (dict(costs=[1, 2], A=[[1, 1]], row_upper=[1], row_names=[""]), "is empty"),
])
def test_bad_arrays_are_errors_that_say_what(kwargs, words):
    with pytest.raises((lpsens.Error, ValueError)) as error:
        lpsens.Model(**kwargs)
    assert words in str(error.value)


@pytest.mark.parametrize("text, line, message", [
    ("NAME x\nROWS\n N obj\n L c1\nCOLUMNS\n x obj 1 c1 zz\nRHS\nENDATA\n", 6, "'zz' is not a number"),
    ("NAME x\nROWS\n N obj\n L c1\n L c1\nENDATA\n", 5, "duplicate row 'c1'"),
])
def test_read_errors_carry_file_line_and_message(tmp_path, text, line, message):
    path = tmp_path / "bad.mps"
    path.write_text(text)
    with pytest.raises(lpsens.Error) as error:
        lpsens.read(path)
    assert (error.value.file, error.value.line, error.value.message, error.value.code) == (str(path), line, message, 106)


def test_a_missing_file_is_an_error_not_an_empty_model(tmp_path):
    with pytest.raises(lpsens.Error) as error:
        lpsens.read(tmp_path / "none.mps")
    assert error.value.code == 2 and error.value.file == str(tmp_path / "none.mps")


def test_bad_options_are_value_errors():
    model = production()
    for kwargs in (dict(engine="fast"), dict(time_limit=-1), dict(threads=3)):
        with pytest.raises(ValueError):
            model.solve(**kwargs)
    with pytest.raises(ValueError):
        model.solve(basis=lpsens.Basis([0], [0, 1]))


def test_warm_start_from_a_basis_gives_the_same_result_in_no_exchanges():
    model = lpsens.read(netlib("scagr7"))
    cold = model.solve()
    warm = model.solve(basis=cold.basis)
    assert warm.basis == cold.basis
    np.testing.assert_array_equal(warm.values, cold.values)
    assert warm.objective == cold.objective and warm.verified


def test_classic_engine_on_lpsens_own_format():
    result = lpsens.read(EXAMPLES / "sample.lp").solve(engine="classic")
    assert result.engine == "classic" and result.verified
    assert result.basis is None


def test_time_limit_stops_without_a_verdict():
    result = lpsens.read(netlib("stair")).solve(time_limit=1e-9, presolve=False)
    assert result.status is lpsens.Status.TIME_LIMIT and not result.verified


@pytest.mark.parametrize("model", [
    lambda: lpsens.read(netlib("adlittle")),
    lambda: lpsens.read(EXAMPLES / "sample.lp"),  # lpsens's own format: its engine and row lists
    lambda: lpsens.read(EXAMPLES / "mix.lp"),
    lambda: lpsens.Model([0.1, 0.2], [[1, 1]], row_upper=[0.3], sense="max"),
])
def test_pickled_models_are_the_same_to_the_last_bit(model):
    model = model()
    again = pickle.loads(pickle.dumps(model))
    assert again.solve().json == model.solve().json
    assert again.solve(exact=True).json == model.solve(exact=True).json


def test_array_models_are_exactly_the_doubles_given():
    """0.1 + 0.2 <= 0.3 in doubles is not the decimal 0.1 + 0.2 <= 0.3: the
    exact optimum of a model built from arrays is that of its doubles."""
    from fractions import Fraction
    result = lpsens.Model([1, 1], [[0.1, 0.2]], row_upper=[0.3], column_upper=[1, 1], sense="max").solve(exact=True)
    x = [Fraction(v) for v in result.exact.values]
    assert Fraction(0.1) * x[0] + Fraction(0.2) * x[1] == Fraction(0.3)
    assert x == [1, (Fraction(0.3) - Fraction(0.1)) / Fraction(0.2)]


@pytest.mark.parametrize("name", ["adlittle", "afiro", "sc50b", "kb2", "share1b", "scagr7", "recipe", "boeing1"])
def test_netlib_optima(name):
    optima = netlib_optima()
    if name not in optima:
        pytest.skip("not among the shared problems")
    result = lpsens.read(netlib(name)).solve()
    assert result.verified
    assert abs(result.objective - optima[name]) <= 1e-8 * max(1, abs(optima[name]))
