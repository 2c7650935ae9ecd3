#!/usr/bin/env bash
# pip install --no-build-isolation . into a fresh virtual environment made
# from Debian's python3 with its site packages: the package imports and
# solves from anywhere.  The module comes from the build folder given
# (already built, so nothing is compiled twice).
#   tests/python_install.sh SOURCE BUILD
set -euo pipefail
src=$1
build=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
/usr/bin/python3 -m venv --system-site-packages "$work/venv"
LPSENS_BUILD_DIR="$build" "$work/venv/bin/pip" install --quiet --no-build-isolation --no-index "$src"
cd "$work"
"$work/venv/bin/python" - "$src/examples/mps/sample.mps" <<'PY'
import sys
import lpsens
assert lpsens.__file__.startswith(sys.prefix), lpsens.__file__
result = lpsens.read(sys.argv[1]).solve()
assert result.verified, result
print("installed:", lpsens.__file__, result)
PY
