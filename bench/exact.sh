#!/usr/bin/env bash
# Times --exact against the plain run on every Netlib problem of both sets
# (../shared/netlib, ../shared/netlib-large): the best of RUNS runs of each,
# the sums and their ratio per set, and whether each optimum is proven.
#   exact.sh LPSENS SHARED_DIR [RUNS]
set -u
bin=$(realpath "$1")
shared=$(realpath "$2")
runs=${3:-3}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
best() {  # best wall time of $runs runs of the command, in seconds
    local b=""
    for _ in $(seq "$runs"); do
        local s e t
        s=$(date +%s.%N)
        "$@" > /dev/null 2>&1
        e=$(date +%s.%N)
        t=$(echo "$e - $s" | bc)
        if [ -z "$b" ] || [ "$(echo "$t < $b" | bc)" = 1 ]; then b=$t; fi
    done
    echo "$b"
}
for set in netlib netlib-large; do
    [ -d "$shared/$set" ] || continue
    plain_sum=0 exact_sum=0 proven=0 count=0
    printf '%-10s %9s %9s %6s  %s\n' "$set" plain exact ratio proof
    for f in "$shared/$set"/*.mps "$shared/$set"/*.mps.gz; do
        [ -f "$f" ] || continue
        name=$(basename "$f"); name=${name%.gz}; name=${name%.mps}
        plain=$(best "$bin" "$f" --quiet)
        exact=$(best "$bin" "$f" --quiet --exact --json=x.json)
        proof=$(grep -o '"exact": {"proof": "[a-z]*"' x.json | sed 's/.*: "//; s/"//')
        [ "$proof" = optimal ] && proven=$((proven + 1))
        count=$((count + 1))
        plain_sum=$(echo "$plain_sum + $plain" | bc)
        exact_sum=$(echo "$exact_sum + $exact" | bc)
        printf '%-10s %9.3f %9.3f %6.2f  %s\n' "$name" "$plain" "$exact" "$(echo "$exact / $plain" | bc -l)" "$proof"
    done
    printf '%-10s %9.3f %9.3f %6.2f  %d of %d optima proven\n\n' "sum" "$plain_sum" "$exact_sum" \
        "$(echo "$exact_sum / $plain_sum" | bc -l)" "$proven" "$count"
done
