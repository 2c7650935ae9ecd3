#!/usr/bin/env bash
# Times lpsens against clp and glpsol on the Netlib MPS files kept beside
# the project: whole processes, each problem RUNS times with the programs
# taking turns, the median of each kept; per problem and summed per set
# (the 21 smaller, the 26 larger).  Four runs per problem:
#   csv     lpsens with its default report (the CSV solution and ranging)
#   json    lpsens with --json as well: every row, cost and bound ranged in
#           the model's own terms, with the objective and the variables
#           that change places at each limit
#   glpsol  glpsol --ranges (its sensitivity report)
#   clp     clp -solve (the solve alone)
# with the ratios json/clp and json/glpsol and the peak memory of the json
# run.  The table is printed and, with TABLE, also written there as
# Markdown.
#   peers.sh DRIVER [SHARED_DIR] [RUNS] [PROBLEM...]     (TABLE=file.md)
# Needs /usr/bin/time; clp (coinor-clp) and glpsol (glpk-utils) are left
# out when missing.
set -u
bin=${1:?usage: peers.sh DRIVER [SHARED_DIR] [RUNS] [PROBLEM...]}
shared=${2:-$(dirname "$0")/../../shared}
runs=${3:-3}
shift $(( $# < 3 ? $# : 3 ))
only=" $* "
table=${TABLE:-}
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
median() { sort -g | awk '{ v[NR] = $1 } END { if (NR == 0) print "-"; else if (NR % 2) print v[(NR + 1) / 2]; else printf "%.6f\n", (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
fmt() { awk -v v="$1" 'BEGIN { if (v == "-") print "-"; else printf "%.3f", v }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (a == "-" || b == "-" || b == 0) print "-"; else printf "%.2f", a / b }'; }
add() { if [ "$2" = - ]; then echo "$1"; else echo "$1 + $2" | bc; fi; }
row() {
    printf '%-10s %9s %9s %9s %9s %8s %8s %8s %9s\n' "$@"
    if [ -n "$table" ]; then
        local IFS='|'
        echo "|$*|" | sed 's/|/ | /g; s/^ //; s/ $//' >> "$table"
    fi
}

bench_set() {
    local label=$1 dir=$2 suffix=$3
    local sum_a=0 sum_j=0 sum_c=0 sum_g=0
    [ -n "$table" ] && printf '\n' >> "$table"
    row "$label" csv json glpsol clp csv/clp json/clp json/glp "peak MiB"
    [ -n "$table" ] && echo "|---|---:|---:|---:|---:|---:|---:|---:|---:|" >> "$table"
    for file in "$dir"/*"$suffix"; do
        local name
        name=$(basename "$file" "$suffix")
        if [ "$only" != "  " ] && [[ $only != *" $name "* ]]; then continue; fi
        : > "$work/a"; : > "$work/j"; : > "$work/c"; : > "$work/g"; : > "$work/m"
        for ((k = 0; k < runs; k++)); do
            seconds "$bin" --quiet "$file" >> "$work/a"
            seconds "$bin" --quiet --json="$work/out.json" "$file" >> "$work/j"
            cat "$work/peak" >> "$work/m"
            if have clp; then seconds clp "$file" -solve >> "$work/c"; fi
            if have glpsol; then seconds glpsol --mps "$file" --ranges "$work/ranges.txt" >> "$work/g"; fi
        done
        local a j c g m
        a=$(median < "$work/a"); j=$(median < "$work/j"); c=$(median < "$work/c"); g=$(median < "$work/g")
        m=$(median < "$work/m")
        sum_a=$(add "$sum_a" "$a"); sum_j=$(add "$sum_j" "$j")
        sum_c=$(add "$sum_c" "$c"); sum_g=$(add "$sum_g" "$g")
        row "$name" "$(fmt "$a")" "$(fmt "$j")" "$(fmt "$g")" "$(fmt "$c")" "$(ratio "$a" "$c")" "$(ratio "$j" "$c")" \
            "$(ratio "$j" "$g")" "$(awk -v m="$m" 'BEGIN { printf "%.1f", m / 1024 }')"
    done
    local c_sum=- g_sum=-
    have clp && c_sum=$sum_c
    have glpsol && g_sum=$sum_g
    row sum "$(fmt "$sum_a")" "$(fmt "$sum_j")" "$(fmt "$g_sum")" "$(fmt "$c_sum")" "$(ratio "$sum_a" "$c_sum")" \
        "$(ratio "$sum_j" "$c_sum")" "$(ratio "$sum_j" "$g_sum")" ""
    echo
}

[ -n "$table" ] && printf '# lpsens against clp and glpsol (median of %s runs, whole process, seconds)\n' "$runs" > "$table"
bench_set netlib "$shared/netlib" .mps
bench_set large "$shared/netlib-large" .mps.gz
