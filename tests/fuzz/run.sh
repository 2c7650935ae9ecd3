#!/usr/bin/env bash
# Runs every fuzz target for SECONDS seconds, one after another, each on its
# seed corpus (tests/fuzz/corpus/TARGET) and a working corpus in the build
# folder, with the formats' dictionary.  Fails when a target finds a crash,
# a leak, a timeout or an input that breaks its property; the input is left
# in BUILD/findings/TARGET, to be kept under tests/fuzz/corpus as a
# regression case once mended.
#   run.sh BUILD SECONDS
set -u
build=$1
seconds=$2
here=$(cd "$(dirname "$0")" && pwd)
status=0
for target in fuzz_run fuzz_mps fuzz_lp fuzz_parametric fuzz_command_line; do
    work="$build/corpus/$target"
    findings="$build/findings/$target"
    mkdir -p "$work" "$findings"
    "$build/$target" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 -print_final_stats=1 \
        -dict="$here/formats.dict" -artifact_prefix="$findings/" "$work" "$here/corpus/$target" \
        > "$build/findings/$target.log" 2>&1
    code=$?
    stats=$(grep -E '^stat::(number_of_executed_units|new_units_added)' "$build/findings/$target.log" | tr '\n' ' ')
    cover=$(grep -oE 'cov: [0-9]+' "$build/findings/$target.log" | tail -1)
    echo "$target: exit $code, $cover, $stats"
    if [ $code -ne 0 ] || [ -n "$(ls -A "$findings")" ]; then
        status=1
        tail -30 "$build/findings/$target.log"
    fi
done
exit $status
