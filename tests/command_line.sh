#!/usr/bin/env bash
# The command line through the real executable: the model named as an
# argument, a model named twice, the prompt on a terminal, empty model files.
#   command_line.sh LPSENS EXAMPLES_DIR
set -u
bin=$1
dir=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
passed=0
failed=0
check() {  # what, then a command that must succeed
    local what=$1
    shift
    if "$@"; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAIL $what"; fi
}
same_output() {  # the two runs' standard output and exit code
    "$bin" $1 > a.out 2> /dev/null < "${3:-/dev/null}"
    local a=$?
    "$bin" $2 > b.out 2> /dev/null < "${3:-/dev/null}"
    [ "$a" = $? ] && cmp -s a.out b.out
}

# The model as an argument is the model as --input, whatever its format.
check "native model argument" same_output "$dir/mix.lp" "--input=$dir/mix.lp"
check "native model argument and standard input" same_output "$dir/mix.lp" "" "$dir/mix.lp"
check "MPS model argument after the mode" same_output "rv $dir/mps/rhs_sweep.mps --sweep=labour:60:200" \
    "rv --input=$dir/mps/rhs_sweep.mps --sweep=labour:60:200"
check "model argument before the options" same_output "$dir/objective_sweep.lp --strict" \
    "--strict --input=$dir/objective_sweep.lp"
check "mode pvx after a file is ignored" same_output "$dir/sample.lp pvx" "--input=$dir/sample.lp"

# Named twice: 64, one usage line, nothing on standard output, nothing read.
rm -f 'KVT_DMY.$$$'
("$bin" --input="$dir/sample.lp" "$dir/mix.lp" > twice.out 2> twice.err; echo $? > twice.rc; cat > rest.txt) \
    < "$dir/sample.lp"
check "named twice: exit code 64" [ "$(cat twice.rc)" = 64 ]
check "named twice: one usage line" [ "$(wc -l < twice.err)" = 1 ]
check "named twice: the message" grep -q '^lpsens: the model is named twice, .*; usage: lpsens ' twice.err
check "named twice: no output" [ ! -s twice.out ]
check "named twice: standard input untouched" cmp -s rest.txt "$dir/sample.lp"
check "named twice: no marker file" [ ! -e 'KVT_DMY.$$$' ]

# A further argument that names no file (a typo) is ignored, as ever, but
# said on the console.
"$bin" rv modle.mps < "$dir/rhs_sweep.lp" > typo.out 2> typo.err
check "a typo: the run goes on" grep -q '^Production mix' typo.out
check "a typo: the warning" grep -q "^lpsens: warning: 'modle.mps' is neither the mode nor a file to read" typo.err

# The prompt only when the problem comes from a terminal.
prompt='reading the problem from standard input'
if command -v script > /dev/null; then
    on_terminal() { timeout 20 script -qec "$1" /dev/null < /dev/null > tty.out 2>&1; }
    on_terminal "$bin $dir/sample.lp"
    check "no prompt with a model argument" eval "! grep -q '$prompt' tty.out && grep -q 'Optimal value' tty.out"
    on_terminal "$bin --input=$dir/sample.lp"
    check "no prompt with --input" eval "! grep -q '$prompt' tty.out && grep -q 'Optimal value' tty.out"
    on_terminal "$bin"
    check "the prompt for a terminal" grep -q "$prompt" tty.out
else
    echo "no script(1): the prompt is not tested"
fi

# An empty model file says so: 106 and the runtime-error line.
: > empty.mps
: > empty.lp
printf ' \n\n' > blank.lp
gzip -c empty.mps > empty.mps.gz
for run in "empty.mps" "--format=lp empty.lp" "--format=LP blank.lp" "empty.mps.gz"; do
    # shellcheck disable=SC2086
    "$bin" $run > empty.out 2> empty.err
    rc=$?
    file=${run##* }
    check "$run: exit code 106" [ "$rc" = 106 ]
    check "$run: the message" [ "$(cat empty.err)" = "lpsens: $file: the file is empty" ]
    check "$run: the runtime-error line" grep -q '^Runtime error 106 at ' empty.out
done

echo "command line: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
