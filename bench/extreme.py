"""Problems of lpsens's own format at the format's extremes (entries from
1e-38 to 1e38, mixed), each run with --accurate --strict and judged by vertex
enumeration in Python fractions over the stored values: the exit codes, and
how many runs that ended with exit 0 have a verdict or printed optimum other
than the true one.

    PYTHONPATH=build/python extreme.py LPSENS [COUNT [SEED [EXTRA_ARGUMENT...]]]

(COUNT 3000, SEED 1 by default; e.g. --exact as an extra argument.)"""

import random
import subprocess
import sys
from collections import Counter
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent.parent / "python" / "tests"))
from test_exact import extreme_problem, printed_verdict, vertex_truth  # noqa: E402


def main():
    program = sys.argv[1]
    count = int(sys.argv[2]) if len(sys.argv) > 2 else 3000
    seed = int(sys.argv[3]) if len(sys.argv) > 3 else 1
    extra = sys.argv[4:]
    rng = random.Random(seed)
    codes, wrong = Counter(), 0
    for t in range(count):
        text, problem = extreme_problem(rng, t)
        run = subprocess.run([program, "--accurate", "--strict", "--quiet"] + extra, input=text.encode(),
                             capture_output=True)
        codes[run.returncode] += 1
        if run.returncode != 0:
            continue
        verdict, value = printed_verdict(run.stdout.decode("latin-1"))
        truth, optimum = vertex_truth(problem)
        right = verdict == truth
        if right and truth == "optimal":
            # Printed with 3 decimals, or 7 significant digits beyond.
            right = abs(value - float(optimum)) <= 0.0005 + 6e-7 * abs(float(optimum))
        if not right:
            wrong += 1
            print(f"problem {t}: printed {verdict} {value}, true {truth} {optimum}")
    print(f"{count} problems (seed {seed}): " + ", ".join(f"exit {c}: {n}" for c, n in sorted(codes.items())) +
          f"; wrong answers with exit 0: {wrong}")


if __name__ == "__main__":
    main()
