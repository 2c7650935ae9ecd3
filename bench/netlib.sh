#!/usr/bin/env bash
# Times the solve and the checks of every Netlib problem kept beside the
# project (../shared/netlib): lpsens_bench problems on the unpacked files.
#   netlib.sh LPSENS_BENCH NETLIB_DIR
set -eu
bench=$(realpath "$1")
dir=$2
[ -f "$dir/optima.tsv" ] || { echo "no Netlib problems at $dir"; exit 0; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for f in "$dir"/*.lp.gz; do zcat "$f" > "$work/$(basename "$f" .gz)"; done
cd "$work"
"$bench" problems *.lp
