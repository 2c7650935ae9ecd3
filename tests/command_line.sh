#!/usr/bin/env bash
# The command line through the real executable: the model named as an
# argument, a model named twice or not there, "-", -h, the prompt on a
# terminal, empty models, output files that cannot be written.
#   command_line.sh LPSENS EXAMPLES_DIR
set -u
bin=$1
dir=$2
# shellcheck source=tests/checks.sh
. "$(dirname "$0")/checks.sh"
cd "$work" || exit 1
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

# An argument after the mode and the model is ignored, as ever, but said on
# the console.
"$bin" rv "$dir/rhs_sweep.lp" modle.mps < /dev/null > typo.out 2> typo.err
check "a further argument: the run goes on" grep -q '^Production mix' typo.out
check "a further argument: the warning" \
    grep -q "^lpsens: warning: 'modle.mps' is neither the mode nor a file to read" typo.err

# A model that cannot be opened stops the run before anything is read,
# whatever its name looks like: the system's code, the runtime-error line and
# nothing else on standard output, no result file, the marker file as it was.
mkdir adir.mps
no_model() {  # what, exit code, reason, arguments...
    local what=$1 code=$2 reason=$3
    shift 3
    printf 'kept' > 'KVT_DMY.$$$'
    ("$bin" "$@" --json=r.json > nm.out 2> nm.err; echo $? > nm.rc; cat > rest.txt) < "$dir/sample.lp"
    local name=${!#}
    name=${name#--input=}
    check "$what: exit code" [ "$(cat nm.rc)" = "$code" ]
    check "$what: the message" [ "$(cat nm.err)" = "lpsens: cannot open $name: $reason" ]
    check "$what: the runtime-error line alone" \
        [ "$(cat nm.out)" = "$(printf 'Runtime error %3d at 00010080\r' "$code")" ]
    check "$what: standard input untouched" cmp -s rest.txt "$dir/sample.lp"
    check "$what: no result file" [ ! -e r.json ]
    check "$what: the marker file untouched" [ "$(cat 'KVT_DMY.$$$')" = kept ]
}
no_model "a missing model" 2 "No such file or directory" nosuch.mps
no_model "a typo after the mode" 2 "No such file or directory" rv modle.mps
no_model "a missing model without a suffix" 2 "No such file or directory" sub/model
no_model "a folder" 21 "Is a directory" adir.mps
no_model "a folder after the mode" 21 "Is a directory" pv adir.mps
no_model "a missing --input" 2 "No such file or directory" --input=nosuch.lp
if [ "$(id -u)" != 0 ]; then
    printf 'x' > locked.lp
    chmod 000 locked.lp
    no_model "no permission" 13 "Permission denied" locked.lp
else
    echo "running as root: the permission case is not tested"
fi
rm -f 'KVT_DMY.$$$'

# "-" is standard input; -h is --help; any other single "-" is a usage error.
check "- is standard input" same_output "-" "" "$dir/sample.lp"
check "- after the mode" same_output "rv -" "rv" "$dir/rhs_sweep.lp"
check "--input=- is standard input" same_output "--input=-" "" "$dir/sample.lp"
check "-h is --help" same_output "-h" "--help"
"$bin" -x < "$dir/sample.lp" > dash.out 2> dash.err
check "-x: exit code 64" [ $? = 64 ]
check "-x: the message" grep -q '^lpsens: unknown option -x; usage: lpsens ' dash.err
check "-x: no output" [ ! -s dash.out ]

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
    on_terminal "$bin -"
    check "the prompt for -" grep -q "$prompt" tty.out
    on_terminal "$bin nosuch.mps"
    check "a missing model on a terminal: no prompt, the error" \
        eval "! grep -q '$prompt' tty.out && grep -q 'cannot open nosuch.mps: No such file or directory' tty.out"
else
    echo "no script(1): the prompt is not tested"
fi

# An empty model says so, in every format, from a file or standard input:
# 106 and the runtime-error line.  Bytes 0..32 are all blank; a byte 26 ends
# lpsens's own format; gzip data counts as what it holds.
: > empty.mps
: > empty.lp
printf ' \n\n' > blank.lp
printf '\t\r\n\001 \f\000\n' > blank.txt
printf ' \n\032Title\n1 1 0 0\n' > eof.lp
gzip -c empty.mps > empty.mps.gz
gzip -c blank.txt > blank.gz
printf 'kept' > 'KVT_DMY.$$$'
for run in "empty.mps" "--format=lp empty.lp" "--format=LP blank.lp" "empty.mps.gz" "empty.lp" "blank.lp" \
           "blank.txt" "--format=mps blank.txt" "eof.lp" "--format=native blank.gz" "blank.gz" "/dev/null"; do
    # shellcheck disable=SC2086
    "$bin" $run > empty.out 2> empty.err
    rc=$?
    file=${run##* }
    check "$run: exit code 106" [ "$rc" = 106 ]
    check "$run: the message" [ "$(cat empty.err)" = "lpsens: $file: the file is empty" ]
    check "$run: the runtime-error line" grep -q '^Runtime error 106 at ' empty.out
done
for run in "" "-" "--format=mps" "--format=lp" "pv" "rv -"; do
    for input in empty.lp blank.txt blank.gz; do
        # shellcheck disable=SC2086
        "$bin" $run < $input > empty.out 2> empty.err
        rc=$?
        check "$run < $input: exit code 106" [ "$rc" = 106 ]
        check "$run < $input: the message" [ "$(cat empty.err)" = "lpsens: standard input is empty" ]
        check "$run < $input: the runtime-error line" grep -q '^Runtime error 106 at ' empty.out
    done
done
check "empty input: the marker file untouched" [ "$(cat 'KVT_DMY.$$$')" = kept ]

# Output files are checked before the model is read: a file that cannot be
# made stops the run with the system's code, the message it would get when
# written, nothing read and nothing written.
printf 'old' > old.json
printf 'x' > plainfile
no_output() {  # what, exit code, message, arguments...
    local what=$1 code=$2 message=$3
    shift 3
    printf 'kept' > 'KVT_DMY.$$$'
    ("$bin" "$@" --json=old.json > no.out 2> no.err; echo $? > no.rc; cat > rest.txt) < "$dir/objective_sweep.lp"
    check "$what: exit code" [ "$(cat no.rc)" = "$code" ]
    check "$what: the message" [ "$(cat no.err)" = "lpsens: $message" ]
    check "$what: the runtime-error line alone" \
        [ "$(cat no.out)" = "$(printf 'Runtime error %3d at 00010090\r' "$code")" ]
    check "$what: standard input untouched" cmp -s rest.txt "$dir/objective_sweep.lp"
    check "$what: the other output untouched" [ "$(cat old.json)" = old ]
    check "$what: the marker file untouched" [ "$(cat 'KVT_DMY.$$$')" = kept ]
}
no_output "--chart in a missing folder" 2 "cannot create /nonexistent/c.svg: No such file or directory" \
    pv --chart=/nonexistent/c.svg
no_output "--chart a folder" 21 "cannot create adir.mps: Is a directory" pv --chart=adir.mps
no_output "--write-problem under a file" 20 "cannot create plainfile/p.lp: Not a directory" \
    --write-problem=plainfile/p.lp
if [ "$(id -u)" != 0 ]; then
    mkdir locked
    chmod 555 locked
    no_output "--chart in a read-only folder" 13 "cannot create locked/c.svg: Permission denied" pv --chart=locked/c.svg
fi
rm -f 'KVT_DMY.$$$'
"$bin" --input="$dir/mix.lp" --json=/nonexistent/x.json > nj.out 2> nj.err
check "--json in a missing folder: exit code 2" [ $? = 2 ]
check "--json in a missing folder: no report" [ "$(cat nj.out)" = "$(printf 'Runtime error   2 at 00010090\r')" ]
check "--json in a missing folder: no marker file" [ ! -e 'KVT_DMY.$$$' ]
"$bin" --input="$dir/mix.lp" --json=/dev/null --write-problem=new.lp > dn.out 2> /dev/null
check "--json=/dev/null: the run completes" [ $? = 0 ]
check "--write-problem: a new file is written" [ -s new.lp ]

finish "command line"
