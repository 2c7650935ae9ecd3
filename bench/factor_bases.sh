#!/usr/bin/env bash
# Writes an optimal basis of each model for lpsens_factor_bench, in MPS basis
# format, with the COIN-OR LP solver (Debian's coinor-clp). The bases are
# benchmark data made on the spot, never kept in the repository.
#
# usage: bench/factor_bases.sh OUT-DIR MPS-FILE...
set -euo pipefail
out=$1
shift
command -v clp >/dev/null || { echo "clp is not installed (apt-get install coinor-clp)" >&2; exit 77; }
mkdir -p "$out"
for file in "$@"; do
    name=$(basename "$file")
    name=${name%.gz}
    name=${name%.mps}
    [ -s "$out/$name.bas" ] && continue
    clp "$file" -dualsimplex -basisOut "$out/$name.bas" >/dev/null 2>&1 || echo "$name: no basis" >&2
done
