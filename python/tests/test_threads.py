"""One model solved from several threads at once: the same results as one
after another (the interpreter lock is let go during solves)."""

import concurrent.futures

import lpsens
from conftest import netlib


def test_one_model_from_several_threads():
    model = lpsens.read(netlib("scfxm2"))
    alone = model.solve().json
    with concurrent.futures.ThreadPoolExecutor(4) as pool:
        results = list(pool.map(lambda _: model.solve().json, range(8)))
    assert all(r == alone for r in results)


def test_sweeps_and_solves_of_several_models_together():
    models = [lpsens.read(netlib(n)) for n in ("adlittle", "sc50b", "kb2")]
    alone = [m.solve().json for m in models]
    with concurrent.futures.ThreadPoolExecutor(3) as pool:
        together = list(pool.map(lambda m: m.solve().json, models * 3))
    assert together == alone * 3
