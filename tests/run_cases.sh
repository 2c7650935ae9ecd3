#!/usr/bin/env bash
# Runs every golden case through the real executable and compares bytes.
#
# A case is a folder under tests/cases holding:
#   input.lp          the problem, fed on standard input
#   args              (optional) the command-line arguments, one line
#   expected.out      standard output, byte for byte
#   expected.rc       (optional) the exit code; 0 when missing
#   expected.console  (optional) standard error, byte for byte
#   marker.before     (optional) content of KVT_DMY.$$$ before the run
# After exit code 0 the marker file must exist and be empty; after any other
# exit code it must be as it was before the run.
#   run_cases.sh LPSENS CASES [ARGUMENT...]
# Further arguments are added to every case's own (for example a kernel and
# a thread count, which must not change a byte); when this lpsens does not
# take them, the run is skipped (exit 77).
set -u
bin=$1
cases=$2
shift 2
extra=("$@")
if [ ${#extra[@]} -gt 0 ] && ! "$bin" "${extra[@]}" --version > /dev/null 2>&1; then
    echo "lpsens does not take ${extra[*]} here: skipped"
    exit 77
fi
passed=0
failed=0
for dir in "$cases"/*/; do
    name=$(basename "$dir")
    work=$(mktemp -d)
    args=()
    [ -f "$dir/args" ] && read -r -a args < "$dir/args"
    args+=("${extra[@]}")
    if [ -f "$dir/marker.before" ]; then cp "$dir/marker.before" "$work/KVT_DMY.\$\$\$"; fi
    (cd "$work" && "$bin" "${args[@]}" < "$dir/input.lp" > "$work/stdout" 2> "$work/stderr")
    rc=$?
    want_rc=0
    [ -f "$dir/expected.rc" ] && want_rc=$(cat "$dir/expected.rc")
    problems=()
    cmp -s "$work/stdout" "$dir/expected.out" || problems+=("standard output differs")
    [ "$rc" = "$want_rc" ] || problems+=("exit code $rc, expected $want_rc")
    if [ -f "$dir/expected.console" ]; then
        cmp -s "$work/stderr" "$dir/expected.console" || problems+=("console differs")
    fi
    marker="$work/KVT_DMY.\$\$\$"
    if [ "$want_rc" = 0 ]; then
        { [ -f "$marker" ] && [ ! -s "$marker" ]; } || problems+=("marker file not left empty")
    elif [ -f "$dir/marker.before" ]; then
        cmp -s "$marker" "$dir/marker.before" || problems+=("marker file touched after an error")
    else
        [ ! -e "$marker" ] || problems+=("marker file created after an error")
    fi
    if [ ${#problems[@]} -eq 0 ]; then
        passed=$((passed + 1))
    else
        failed=$((failed + 1))
        echo "FAIL $name: ${problems[*]}"
        if ! cmp -s "$work/stdout" "$dir/expected.out"; then
            diff <(cat -A "$dir/expected.out") <(cat -A "$work/stdout") | head -20
        fi
        if [ -f "$dir/expected.console" ] && ! cmp -s "$work/stderr" "$dir/expected.console"; then
            diff <(cat -A "$dir/expected.console") <(cat -A "$work/stderr") | head -10
        fi
    fi
    rm -rf "$work"
done
echo "golden cases${extra[*]:+ (${extra[*]})}: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
