import csv
import json
import os
import pathlib
import subprocess

import pytest

EXAMPLES = pathlib.Path(os.environ.get("LPSENS_EXAMPLES", pathlib.Path(__file__).resolve().parents[2] / "examples"))
NETLIB = pathlib.Path(os.environ.get("LPSENS_NETLIB", pathlib.Path(__file__).resolve().parents[3] / "shared" / "netlib"))
NETLIB_LARGE = NETLIB.parent / "netlib-large"
PROGRAM = os.environ.get("LPSENS_PROGRAM")


def netlib(name):
    path = NETLIB / (name + ".mps")
    if not path.exists():
        pytest.skip("the Netlib problems are not beside the project")
    return path


def netlib_optima():
    path = NETLIB / "optima.tsv"
    if not path.exists():
        return {}
    with open(path) as f:
        return {row["problem"]: float(row["mps_optimum"]) for row in csv.DictReader(f, delimiter="\t")}


def program_json(tmp_path, *args):
    """The command line's JSON for the same run."""
    if not PROGRAM:
        pytest.skip("LPSENS_PROGRAM names no lpsens program")
    out = tmp_path / "out.json"
    subprocess.run([PROGRAM, *map(str, args), "--json=" + str(out)], cwd=tmp_path, check=False,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    with open(out) as f:
        return json.load(f)
