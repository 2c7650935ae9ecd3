"""A batch of right-hand-side scenarios of a shared Netlib model, solved
warm (from the model's optimal basis) and cold (from the slack basis) on
one worker process, and warm on two: the times and their ratios.

    PYTHONPATH=build/python python3 bench/scenarios.py [NETLIB_DIR] [--model=NAME] [--count=N] [--only=MODE]

MODE (for timing one run from outside): cold, warm, warm2."""

import concurrent.futures
import os
import sys
import time

import numpy as np

import lpsens


def scenarios(model, count, seed=1):
    """Each scenario moves the right-hand sides of three rows by up to 10%."""
    rng = np.random.default_rng(seed)
    a = model.arrays()
    names = model.row_names
    sides = np.where(np.isfinite(a["row_upper"]), a["row_upper"], a["row_lower"])
    out = []
    for _ in range(count):
        rows = rng.choice(len(names), size=3, replace=False)
        out.append({"rhs:" + names[k]: float(sides[k] * rng.uniform(0.9, 1.1) + rng.uniform(-0.1, 0.1))
                    for k in rows})
    return out


def run(model, batch, workers, warm):
    with concurrent.futures.ProcessPoolExecutor(workers) as pool:
        # The workers start and load the model before the clock starts.
        lpsens.solve_many(model, batch[:workers], executor=pool, warm=warm, chunk_size=1)
        start = time.perf_counter()
        results = lpsens.solve_many(model, batch, executor=pool, warm=warm,
                                    chunk_size=max(1, len(batch) // (8 * workers)))
        seconds = time.perf_counter() - start
    return seconds, results


def main():
    args = [a for a in sys.argv[1:] if not a.startswith("--")]
    options = dict(a[2:].split("=", 1) for a in sys.argv[1:] if a.startswith("--"))
    netlib = args[0] if args else "../shared/netlib"
    name = options.get("model", "scfxm2")
    count = int(options.get("count", 1000))
    model = lpsens.read(os.path.join(netlib, name + ".mps"))
    batch = scenarios(model, count)
    modes = {"cold": (1, False), "warm": (1, True), "warm2": (2, True)}
    only = options.get("only")
    times = {}
    for mode, (workers, warm) in modes.items():
        if only and mode != only:
            continue
        seconds, results = run(model, batch, workers, warm)
        times[mode] = seconds
        unverified = sum(not r.verified for r in results)
        iterations = sum(r.iterations for r in results)
        print("%-6s %d worker(s): %7.3f s for %d scenarios (%d iterations, %d not verified)"
              % (mode, workers, seconds, count, iterations, unverified))
    if not only:
        print("%s, %d scenarios: warm starts %.1fx faster than cold; two worker processes %.2fx one"
              % (name, count, times["cold"] / times["warm"], times["warm"] / times["warm2"]))


if __name__ == "__main__":
    main()
