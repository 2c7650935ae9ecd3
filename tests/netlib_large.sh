#!/usr/bin/env bash
# The larger Netlib problems kept beside the project, through the whole
# program (the accurate engine, the default for MPS): every one reaches the
# peers' common optimum to 1e-9 relative with every check passing, and two
# right-hand-side sweeps keep every record within 1e-9 of a separate solve
# of the model at the record's t.
#   netlib_large.sh LPSENS LARGE_DIR [OPTION...]
# The options go to every run (--presolve=off: the same without presolve).
# Exits 77 (skipped) when the problems are not there.
set -u
bin=$1
dir=$2
shift 2
extra=("$@")
[ -f "$dir/optima.tsv" ] || { echo "no larger Netlib problems at $dir: skipped"; exit 77; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
passed=0
failed=0
fail() { failed=$((failed + 1)); echo "FAIL $*"; }
close_to() { awk -v a="$1" -v b="$2" 'BEGIN { d = a - b; if (d < 0) d = -d; m = b < 0 ? -b : b; exit !(d <= 1e-9 * (m > 1 ? m : 1)) }'; }
# The objective the checks recompute (the form's: the maximum of minus the
# MPS objective).
recomputed() { sed -n 's/^lpsens: check: the result: recomputed objective \([^,]*\),.*passed$/\1/p' "$1"; }

# The reference is the last column of optima.tsv (MPS sense, minimised).
while IFS=$'\t' read -r -a fields; do
    name=${fields[0]}
    [ "$name" = problem ] && continue
    [ -f "$dir/$name.mps.gz" ] || continue
    reference=${fields[${#fields[@]} - 1]}
    timeout 300 "$bin" "${extra[@]}" --strict --show-checks "$dir/$name.mps.gz" > "$work/out" 2> "$work/err"
    rc=$?
    value=$(recomputed "$work/err")
    minimum=$(awk -v v="$value" 'BEGIN { if (v != "") printf "%.17g", -v }')
    if [ $rc = 0 ] && [ -n "$value" ] && close_to "$minimum" "$reference" && ! grep -q warning "$work/err"; then
        passed=$((passed + 1))
    else
        fail "$name: exit $rc, optimum '${minimum:-none}', reference $reference"
        grep warning "$work/err" | head -3
    fi
done < "$dir/optima.tsv"

# Sweeps of the model's own rows: every record passes its checks, and each
# record's optimum is that of the model solved alone at the record's t (a
# sweep whose items start and end there).
sweep() {
    local name=$1 items=$2
    local args=()
    IFS=, read -r -a list <<< "$items"
    for item in "${list[@]}"; do args+=("--sweep=$item"); done
    timeout 300 "$bin" rv "${extra[@]}" --strict --show-checks "${args[@]}" "$dir/$name.mps.gz" > "$work/out" 2> "$work/err"
    local rc=$?
    local records
    records=$(grep -c '^lpsens: check: record .*passed$' "$work/err")
    if [ $rc = 0 ] && [ "$records" -ge 3 ] && ! grep -q 'warning' "$work/err"; then
        passed=$((passed + 1))
    else
        fail "$name sweep: exit $rc, $records records passed"
        grep 'warning' "$work/err" | head -5
        return
    fi
    local t value
    sed -n 's/^lpsens: check: record [0-9]* (t = \([^)]*\)): recomputed objective \([^,]*\),.*/\1 \2/p' "$work/err" > "$work/records"
    while read -r t value; do
        local at=()
        for item in "${list[@]}"; do
            at+=("--sweep=$(awk -v t="$t" -v item="$item" 'BEGIN { split(item, p, ":"); v = p[2] + (p[3] - p[2]) * t; printf "%s:%.17g:%.17g", p[1], v, v }')")
        done
        "$bin" rv "${extra[@]}" --show-checks "${at[@]}" "$dir/$name.mps.gz" > /dev/null 2> "$work/at.err"
        local again
        again=$(sed -n 's/^lpsens: check: record 1 (t = 0): recomputed objective \([^,]*\),.*/\1/p' "$work/at.err")
        if [ -n "$again" ] && close_to "$value" "$again"; then
            passed=$((passed + 1))
        else
            fail "$name sweep at t = $t: $value, solved alone ${again:-none}"
        fi
    done < "$work/records"
}
sweep sctap2 "NCZZ1ZZ1:5:40,CCZZ1ZZ1:1:0"
sweep ship04s "REGMAX:6:0,OVRMAX:126:60"

echo "netlib-large: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
