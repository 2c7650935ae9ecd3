#!/usr/bin/env bash
# Runs the revised engine's driver over the Netlib problems kept beside the
# project (the 21 smaller and the 26 larger ones) and checks that each ends
# optimal, with its own check passed, at the reference optimum to 1e-9
# relative.
#   revised_netlib.sh DRIVER SHARED_DIR [PROBLEM...]
# REVISED_FLAGS (environment) passes options to the driver (--seed=N ...).
# Exits 77 (skipped) when the problems are not there.
set -u
bin=$1
shared=$2
shift 2
only=" $* "
small=$shared/netlib
large=$shared/netlib-large
[ -f "$small/optima.tsv" ] || { echo "no Netlib problems at $small: skipped"; exit 77; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
passed=0
failed=0

# check NAME FILE REFERENCE
check() {
    local name=$1 file=$2 reference=$3
    if [ "$only" != "  " ] && [[ $only != *" $name "* ]]; then return; fi
    if [ ! -f "$file" ]; then
        echo "$name: not among the files, left out"
        return
    fi
    timeout 300 "$bin" "$file" ${REVISED_FLAGS:-} > "$work/out" 2> "$work/err"
    local rc=$?
    local status objective seconds
    status=$(sed -n 's/^status  *//p' "$work/out")
    objective=$(sed -n 's/^objective  *//p' "$work/out")
    seconds=$(sed -n 's/^time  *\([0-9.]*\) s.*/\1/p' "$work/out")
    if [ $rc = 0 ] && [ "$status" = optimal ] &&
        awk -v a="$objective" -v b="$reference" 'BEGIN { d = a - b; if (d < 0) d = -d; m = b < 0 ? -b : b; exit !(d <= 1e-9 * (m > 1 ? m : 1)) }'; then
        passed=$((passed + 1))
        printf '%-10s ok    %-22s %s s\n' "$name" "$objective" "$seconds"
    else
        failed=$((failed + 1))
        printf '%-10s FAIL  %s, objective %s, reference %s (exit %s)\n' "$name" "${status:-none}" "${objective:-none}" "$reference" "$rc"
    fi
}

while IFS=$'\t' read -r name rows vars eqs ges sense mps_opt rest; do
    [ "$name" = problem ] && continue
    check "$name" "$small/$name.mps" "$mps_opt"
done < "$small/optima.tsv"
if [ -f "$large/optima.tsv" ]; then
    # Some columns are empty: awk keeps them apart.
    while read -r name reference; do
        check "$name" "$large/$name.mps.gz" "$reference"
    done < <(awk -F'\t' 'NR == 1 { for (k = 1; k <= NF; k++) if ($k == "reference") col = k; next }
                            { print $1, $col }' "$large/optima.tsv")
fi
echo "$passed passed, $failed failed"
[ $failed = 0 ]
