"""The tour in examples/python runs through."""

import os
import pathlib
import subprocess
import sys

from conftest import EXAMPLES


def test_the_tour_runs(tmp_path):
    tour = EXAMPLES / "python" / "tour.py"
    run = subprocess.run([sys.executable, str(tour), str(tmp_path)], capture_output=True, text=True,
                         env=dict(os.environ))
    assert run.returncode == 0, run.stderr
    assert "1000 scenarios, 1000 verified" in run.stdout
    assert pathlib.Path(tmp_path / "labour.svg").read_text().rstrip().endswith("</svg>")
