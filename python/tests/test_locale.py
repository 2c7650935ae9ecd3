"""A program that sets a locale with a decimal comma gets the same numbers:
the files are read and the reports written in the C locale's terms."""

import os
import pathlib
import shutil
import subprocess
import sys

import pytest

from conftest import netlib


def test_a_decimal_comma_locale_changes_nothing(tmp_path):
    source = pathlib.Path("/usr/share/i18n/locales/de_DE")
    if not source.exists() or not shutil.which("localedef"):
        pytest.skip("no locale source to build a German locale from")
    subprocess.run(["localedef", "-i", "de_DE", "-f", "UTF-8", str(tmp_path / "de_DE.UTF-8")],
                   check=False, capture_output=True)
    if not (tmp_path / "de_DE.UTF-8").exists():
        pytest.skip("localedef could not build the locale")
    path = netlib("adlittle")
    script = (
        "import locale, lpsens, sys\n"
        "locale.setlocale(locale.LC_ALL, 'de_DE.UTF-8')\n"
        "assert locale.localeconv()['decimal_point'] == ','\n"
        "r = lpsens.read(sys.argv[1]).solve()\n"
        "print(r.status.value, repr(r.objective))\n"
    )
    env = dict(os.environ, LOCPATH=str(tmp_path))
    german = subprocess.run([sys.executable, "-c", script, str(path)], env=env, capture_output=True, text=True)
    plain = subprocess.run([sys.executable, "-c", script.replace("de_DE.UTF-8", "C").replace("','", "'.'"),
                            str(path)], capture_output=True, text=True)
    assert german.returncode == 0, german.stderr
    assert german.stdout == plain.stdout == "optimal 225494.96316238036\n"
