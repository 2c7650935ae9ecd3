#!/usr/bin/env bash
# Times lpsens (or another driver given first) against clp and glpsol on
# the Netlib MPS files kept beside the project: whole processes, each
# problem RUNS times with the three programs taking turns, the median of
# each kept; per problem and summed per set (the 21 smaller, the 26 larger),
# with the driver's peak memory.  lpsens solves with its default engine
# for MPS (the accurate one) and writes its whole report.
#   peers.sh DRIVER [SHARED_DIR] [RUNS] [PROBLEM...]
# Needs /usr/bin/time; clp (coinor-clp) and glpsol (glpk-utils) are left
# out when missing.
set -u
bin=${1:?usage: peers.sh DRIVER [SHARED_DIR] [RUNS] [PROBLEM...]}
shared=${2:-$(dirname "$0")/../../shared}
runs=${3:-3}
shift $(( $# < 3 ? $# : 3 ))
only=" $* "
have() { command -v "$1" > /dev/null; }

# seconds COMMAND...: wall seconds of one whole run; peak memory in KiB
# left in $work/peak.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
seconds() {
    local start end
    start=$(date +%s.%N)
    /usr/bin/time -f '%M' -o "$work/peak" "$@" > /dev/null 2>&1
    end=$(date +%s.%N)
    echo "$end - $start" | bc
}
fmt() { awk -v v="$1" 'BEGIN { if (v == "-") print "-"; else printf "%.3f", v }'; }
median() { sort -g | awk '{ v[NR] = $1 } END { if (NR == 0) print "-"; else if (NR % 2) print v[(NR + 1) / 2]; else printf "%.6f\n", (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

bench_set() {
    local label=$1 dir=$2 suffix=$3
    local sum_a=0 sum_c=0 sum_g=0
    printf '%-10s %10s %10s %10s %8s %8s %9s\n' "$label" driver clp glpsol /clp /glpsol "peak MiB"
    for file in "$dir"/*"$suffix"; do
        local name
        name=$(basename "$file" "$suffix")
        if [ "$only" != "  " ] && [[ $only != *" $name "* ]]; then continue; fi
        : > "$work/a"; : > "$work/c"; : > "$work/g"; : > "$work/m"
        for ((k = 0; k < runs; k++)); do
            seconds "$bin" "$file" >> "$work/a"
            cat "$work/peak" >> "$work/m"
            if have clp; then seconds clp "$file" -solve >> "$work/c"; fi
            if have glpsol; then seconds glpsol --mps "$file" >> "$work/g"; fi
        done
        local a c g m
        a=$(median < "$work/a"); c=$(median < "$work/c"); g=$(median < "$work/g"); m=$(median < "$work/m")
        sum_a=$(echo "$sum_a + $a" | bc)
        [ "$c" != - ] && sum_c=$(echo "$sum_c + $c" | bc)
        [ "$g" != - ] && sum_g=$(echo "$sum_g + $g" | bc)
        printf '%-10s %10.3f %10s %10s %8s %8s %9.1f\n' "$name" "$a" "$(fmt "$c")" "$(fmt "$g")" \
            "$(awk -v a="$a" -v b="$c" 'BEGIN { if (b == "-" || b == 0) print "-"; else printf "%.2f", a / b }')" \
            "$(awk -v a="$a" -v b="$g" 'BEGIN { if (b == "-" || b == 0) print "-"; else printf "%.2f", a / b }')" \
            "$(echo "$m / 1024" | bc -l)"
    done
    printf '%-10s %10.3f %10.3f %10.3f %8s %8s\n' "sum" "$sum_a" "$sum_c" "$sum_g" \
        "$(awk -v a="$sum_a" -v b="$sum_c" 'BEGIN { if (b == 0) print "-"; else printf "%.2f", a / b }')" \
        "$(awk -v a="$sum_a" -v b="$sum_g" 'BEGIN { if (b == 0) print "-"; else printf "%.2f", a / b }')"
    echo
}

bench_set netlib "$shared/netlib" .mps
bench_set large "$shared/netlib-large" .mps.gz
