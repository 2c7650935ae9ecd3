#!/usr/bin/env bash
# The examples in lpsens's own format, as MPS files and as LP-format files:
# the same reports apart from the title line, gzip-compressed input too, LP
# format with and without --format, in either engine (imported models take
# the accurate one unless --classic).
# The JSON results of each ordinary run parse and match its report.
#   formats.sh LPSENS EXAMPLES_DIR JSON_CHECK
set -u
bin=$1
dir=$2
json_check=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
passed=0
failed=0
# A report without its title: the first line that is not an engine message.
untitled() { awk 'done || /^(Unbounded solution|No feasible solution)\r$/ { print; next } { done = 1 }' "$1"; }
compare() {  # name, native arguments, imported arguments
    local name=$1 native=$2 imported=$3
    # shellcheck disable=SC2086
    (cd "$work" && "$bin" $native < "$dir/$name.lp" > native.out 2> /dev/null)
    gzip -c "$dir/mps/$name.mps" > "$work/$name.mps.gz"
    gzip -c "$dir/lp-format/$name.lp" > "$work/$name.lp.gz"
    # LP format also by its content: as the model argument, and compressed.
    for input in "--input=$dir/mps/$name.mps" "--format=lp --input=$dir/lp-format/$name.lp" \
                 "--format=mps --input=$work/$name.mps.gz" "$dir/lp-format/$name.lp" "--input=$work/$name.lp.gz"; do
        # shellcheck disable=SC2086
        (cd "$work" && "$bin" $imported $input < /dev/null > imported.out 2> /dev/null)
        if cmp -s <(untitled "$work/native.out") <(untitled "$work/imported.out"); then
            passed=$((passed + 1))
        else
            failed=$((failed + 1))
            echo "FAIL $name with $input"
            diff <(untitled "$work/native.out") <(untitled "$work/imported.out") | head -5
        fi
    done
}
for name in sample mix infeasible unbounded; do
    compare $name "" "--classic"
    compare $name "--accurate" ""
done
for name in sample mix infeasible unbounded; do
    for input in "$dir/$name.lp" "$dir/mps/$name.mps"; do
        "$bin" --input="$input" --json="$work/r.json" > "$work/r.out" 2> /dev/null
        if "$json_check" "$work/r.json" "$work/r.out"; then
            passed=$((passed + 1))
        else
            failed=$((failed + 1))
            echo "FAIL JSON of $input"
        fi
    done
done
compare objective_sweep "pv" "pv --classic --sweep=desks:20:80"
compare rhs_sweep "rv" "rv --classic --sweep=labour:60:200"
compare objective_sweep "pv --accurate" "pv --sweep=desks:20:80"
compare rhs_sweep "rv --accurate" "rv --sweep=labour:60:200"
# --write-problem reads back to the same report; a missing file is the
# system's error (2) with the runtime-error line.
"$bin" --input="$dir/mps/mix.mps" --write-problem="$work/written.lp" > "$work/a.out" 2> /dev/null
"$bin" --accurate --input="$work/written.lp" > "$work/b.out" 2> /dev/null
if cmp -s "$work/a.out" "$work/b.out"; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAIL --write-problem"; fi
rm -f "$work/KVT_DMY.\$\$\$"
(cd "$work" && "$bin" --input="$work/no such file.mps" > missing.out 2> /dev/null)
if [ $? = 2 ] && grep -q '^Runtime error   2 at 00010080' "$work/missing.out" && [ ! -e "$work/KVT_DMY.\$\$\$" ]; then
    passed=$((passed + 1))
else
    failed=$((failed + 1))
    echo "FAIL missing input file"
fi
echo "formats: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
