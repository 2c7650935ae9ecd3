#!/usr/bin/env bash
# The examples in lpsens's own format, as MPS files and as LP-format files:
# the same reports apart from the title line, gzip-compressed input too, LP
# format with and without --format, in either engine (imported models take
# the accurate one unless --classic).
# The JSON results of each ordinary run parse and match its report.  MPS also
# by its content and with a byte-order mark; entries given twice refused; LP
# double inequalities as ranged rows.
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
# With the accurate engine an imported model's sweep is the one in its own
# terms: its records stand on the breakpoints themselves (the documented
# steps of lpsens's own format stand just past them: 110.003, 35.001).
exact_sweep() {  # name, arguments, lines the report must hold
    local name=$1 args=$2
    shift 2
    for input in "$dir/mps/$name.mps" "$dir/lp-format/$name.lp"; do
        # shellcheck disable=SC2086
        (cd "$work" && "$bin" $args "$input" < /dev/null > imported.out 2> /dev/null)
        local line missing=0
        for line in "$@"; do grep -qxF "$line"$'\r' "$work/imported.out" || missing=1; done
        if [ $missing = 0 ]; then
            passed=$((passed + 1))
        else
            failed=$((failed + 1))
            echo "FAIL $name's sweep with $input"
            head -5 "$work/imported.out"
        fi
    done
}
exact_sweep objective_sweep "pv --sweep=desks:20:80" \
    '                Parameter,     0.000,     0.250,     1.000' \
    '   1,             "desks",    20.000,    35.000,    80.000' \
    '            Optimal value,  1800.000,  1800.000,  2520.000'
exact_sweep rhs_sweep "rv --sweep=labour:60:200" \
    '   1,            "labour",    60.000,   110.000,   200.000' \
    '            Optimal value,   980.000,  1830.000,  3000.000'
# Sweeps in the model's terms: every breakpoint, the edge where the optimum
# ends, the stretch where it has not begun, in the JSON, the readable report
# and the console; the chart of the example as the README shows it.
sweep_says() {  # what, file, text it must hold
    if grep -qF -- "$3" "$2"; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAIL $1: no '$3'"; fi
}
(cd "$work" && "$bin" rv "$dir/mps/mix.mps" --sweep=orders:0:80 --json=orders.json --report=text > orders.txt 2> orders.err)
sweep_says "orders sweep end" "$work/orders.json" '"sweep_end": {"reason": "infeasible", "at": 60, "t": 0.75}'
sweep_says "orders records" "$work/orders.json" '"t": 0.25, "items": [20], "objective": 1960, "slope": -4'
sweep_says "orders records" "$work/orders.json" '"t": 0.75, "items": [60], "objective": 1800'
sweep_says "orders report" "$work/orders.txt" 'no feasible solution beyond orders = 60'
sweep_says "orders console" "$work/orders.err" 'lpsens: sweep: 3 records; no feasible solution beyond orders = 60'
(cd "$work" && "$bin" rv "$dir/mps/mix.mps" --sweep=labour:0:200 --json=labour.json > labour.out 2> labour.err)
sweep_says "labour start" "$work/labour.json" '"before": {"reason": "infeasible", "from": 0, "to": 20, "from_t": 0, "to_t": 0.1}'
sweep_says "labour console" "$work/labour.err" 'lpsens: sweep: no feasible solution for labour from 0 to 20'
sweep_says "labour table" "$work/labour.out" '   1,            "labour",    20.000,   110.000,   200.000'
(cd "$work" && "$bin" rv "$dir/mps/mix.mps" --sweep=orders:0:80 --max-records=2 --json=cap.json > /dev/null 2> cap.err)
sweep_says "record limit" "$work/cap.json" '"sweep_end": {"reason": "record limit", "at": 20, "t": 0.25}'
sweep_says "record limit console" "$work/cap.err" 'stopped at the limit of 2 records at orders = 20 (--max-records sets another)'
# A sweep of lpsens's own format in the readable report has its item's column.
(cd "$work" && "$bin" pv --report=text < "$dir/objective_sweep.lp" > own.txt 2> /dev/null)
sweep_says "own format's item column" "$work/own.txt" '     t desks Objective Slope Entering Leaving'
(cd "$work" && "$bin" rv --chart=rhs_sweep.svg < "$dir/rhs_sweep.lp" > /dev/null 2>&1)
if cmp -s "$work/rhs_sweep.svg" "$dir/rhs_sweep.svg"; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAIL the example chart"; fi
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
check() {  # what, then a command that must succeed
    local what=$1
    shift
    if "$@"; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAIL $what"; fi
}
# MPS by its content, from any name and from standard input; a byte-order
# mark is passed over in MPS and LP format.
"$bin" --input="$dir/mps/mix.mps" > "$work/mps.out" 2> /dev/null
cp "$dir/mps/mix.mps" "$work/m.txt"
cp "$dir/mps/mix.mps" "$work/m.free"
gzip -c "$dir/mps/mix.mps" > "$work/m.gz"
{ printf '* a comment\n\n'; cat "$dir/mps/mix.mps"; } > "$work/commented.dat"
printf '\357\273\277' | cat - "$dir/mps/mix.mps" > "$work/bom.mps"
printf '\357\273\277' | cat - "$dir/lp-format/mix.lp" > "$work/bom.lp"
for run in "$work/m.txt" "$work/m.free" "$work/m.gz" "$work/commented.dat" "$work/bom.mps" "- $dir/mps/mix.mps" \
           "-- $work/m.gz" "-- $work/bom.lp"; do
    set -- $run
    if [ "$1" = - ]; then "$bin" - < "$2" > "$work/run.out" 2> /dev/null
    elif [ "$1" = -- ]; then "$bin" < "$2" > "$work/run.out" 2> /dev/null
    else "$bin" "$1" > "$work/run.out" 2> /dev/null; fi
    check "MPS by content: $run" cmp -s <(untitled "$work/mps.out") <(untitled "$work/run.out")
done
# Entries given twice are refused, naming the file, the line and the name.
refused() {  # what, file, message
    "$bin" "$2" > "$work/r.out" 2> "$work/r.err"
    local rc=$?
    check "$1: exit code 106" [ "$rc" = 106 ]
    check "$1: the message" [ "$(cat "$work/r.err")" = "lpsens: $2:$3" ]
    check "$1: the runtime-error line alone" [ "$(head -c 14 "$work/r.out")" = "Runtime error " ] 
    check "$1: one line" [ "$(wc -l < "$work/r.out")" = 1 ]
}
sed '/    chairs  wood  3/a\    chairs  wood  5' "$dir/mps/mix.mps" > "$work/twice.mps"
refused "an MPS entry twice" "$work/twice.mps" "14: column 'chairs' has a second entry in row 'wood'"
sed '/    tables  orders  1/a\    chairs  wood  5' "$dir/mps/mix.mps" > "$work/again.mps"
refused "an MPS column in two blocks" "$work/again.mps" \
    "19: column 'chairs' appears again after column 'tables'; the entries of a column must stand together"
sed 's/^    MAX$/    MAXX/' "$dir/mps/mix.mps" > "$work/maxx.txt"
refused "OBJSENSE MAXX" "$work/maxx.txt" "3: unknown objective sense 'MAXX'"
sed 's/^ balance:/ wood:/' "$dir/lp-format/mix.lp" > "$work/twice.lp"
refused "an LP constraint name twice" "$work/twice.lp" "8: constraint 'wood' is given twice (first on line 6)"
printf 'SOS\n s1: S1:: chairs:1 desks:2\nEnd\n' > "$work/sos.tail"
sed '/^End/d' "$dir/lp-format/mix.lp" | cat - "$work/sos.tail" > "$work/sos.lp"
refused "an LP SOS section" "$work/sos.lp" "9: the section 'SOS' is not supported"
# lpsens's own format from a file names it.
sed 's/^200$/2OO/' "$dir/mix.lp" > "$work/bad.lp"
refused "lpsens's own format" "$work/bad.lp" "$(grep -n '^2OO$' "$work/bad.lp" | cut -d: -f1): '2OO' is not a number"
# LP double inequalities are ranged rows: wood between 150 and 200 as a
# double inequality gives the MPS model's RANGES report.
sed 's/^ wood: \(.*\) <= 200$/ wood: 150 <= \1 <= 200/' "$dir/lp-format/mix.lp" > "$work/ranged.lp"
sed 's/^ wood: \(.*\) <= 200$/ wood: 200 >= \1 >= 150/' "$dir/lp-format/mix.lp" > "$work/mirrored.lp"
sed 's/^ENDATA$/RANGES\n    rng  wood  50\nENDATA/' "$dir/mps/mix.mps" > "$work/ranged.mps"
"$bin" "$work/ranged.mps" > "$work/ranged_mps.out" 2> /dev/null
for f in ranged mirrored; do
    "$bin" "$work/$f.lp" > "$work/$f.out" 2> /dev/null
    check "LP double inequality: $f" cmp -s <(untitled "$work/ranged_mps.out") <(untitled "$work/$f.out")
done
check "LP double inequality: a range row" grep -q '"wood.rng"' "$work/ranged.out"
echo "formats: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
