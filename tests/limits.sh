#!/usr/bin/env bash
# Runs that stop before a verdict, through the real executable: the time
# limit on a generated problem that takes far longer than the limit (both
# engines), the exchange limit on an imported model, and the console of a
# long solve on a pseudo-terminal (status lines) and off it (none), and
# with --quiet.
#   limits.sh LPSENS GENERATE EXAMPLES_DIR
set -u
bin=$1
generate=$2
dir=$3
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=tests/checks.sh
. "$(dirname "$0")/checks.sh"
cd "$work" || exit 1
crlf() { printf '%s\r\n' "$1"; }

# A dense 300 x 300 problem takes hundreds of exchanges; reading it alone
# takes longer than a millisecond, so the limit stops it before its first
# exchange on any machine.
"$generate" 300 300 1 1 > dense300.lp
for engine in --classic --accurate; do
    printf 'before' > 'KVT_DMY.$$$'
    "$bin" $engine --time-limit=0.001 --json=t.json < dense300.lp > t.out 2> t.err
    rc=$?
    check "$engine time limit: exit code 75" [ $rc = 75 ]
    check "$engine time limit: the stop line alone" cmp -s t.out <(crlf "Stopped at the time limit")
    check "$engine time limit: the console says why" \
        [ "$(tail -n 1 t.err)" = "lpsens: stopped at the time limit of 0.001 s: no verdict" ]
    check "$engine time limit: JSON status" grep -q '^  "status": "time limit",$' t.json
    check "$engine time limit: JSON not verified" grep -q '^  "verified": false,$' t.json
    check "$engine time limit: the marker file left alone" [ "$(cat 'KVT_DMY.$$$')" = before ]
done

# The exchange limit on an imported model: its own values, no ranging.
for engine in --classic --accurate; do
    "$bin" $engine --max-exchanges=1 --json=x.json "$dir/mps/mix.mps" > x.out 2> x.err
    check "$engine MPS exchange limit: exit code 75" [ $? = 75 ]
    check "$engine MPS exchange limit: the stop line alone" cmp -s x.out <(crlf "Stopped at the exchange limit")
    check "$engine MPS exchange limit: JSON status" grep -q '^  "status": "exchange limit",$' x.json
    check "$engine MPS exchange limit: the model's values" grep -q '"name": "chairs", "cost": 20, "lower": 0' x.json
    check "$engine MPS exchange limit: no ranging" eval "! grep -q 'ranging' x.json"
done

# Numerical trouble the accurate engine cannot settle (a model whose
# coefficients span 28 orders of magnitude, not settled in exact arithmetic
# with --exact-limit=0): 76, and the JSON says so.
trouble="$here/cases/stopped_by_numerical_trouble/input.lp"
printf 'before' > 'KVT_DMY.$$$'
"$bin" --json=n.json --format=lp --exact-limit=0 "$trouble" > n.out 2> n.err
check "numerical trouble: exit code 76" [ $? = 76 ]
check "numerical trouble: the stop line alone" cmp -s n.out <(crlf "Stopped by numerical trouble")
check "numerical trouble: JSON status" grep -q '^  "status": "numerical trouble",$' n.json
check "numerical trouble: the marker file left alone" [ "$(cat 'KVT_DMY.$$$')" = before ]

# A long solve (a dense 999 x 999 problem takes many seconds) stopped by the
# time limit: on a terminal a status line once the solve has run a second, on
# a line of its own; off a terminal, and with --quiet, none. Reading the
# problem takes over a second in an instrumented build on a busy machine, and
# the limit counts from the start, so the terminal run is given 4.5 s.
if command -v script > /dev/null; then
    "$generate" 999 999 1 1 > dense999.lp
    status='^lpsens: phase [12]: [0-9]+ exchanges, objective [-0-9.e+]+, primal infeasibility [-0-9.e+]+, [0-9]+\.[0-9] s'
    timeout 60 script -qec "$bin --time-limit=4.5 --input=dense999.lp > tty.out" /dev/null < /dev/null > tty.err 2>&1
    tr -d '\r' < tty.err > tty.txt
    check "terminal: a status line" grep -Eq "$status\$" tty.txt
    check "terminal: at most one a second" [ "$(grep -Ec "$status" tty.txt)" -le 4 ]
    check "terminal: the marks go on after it" eval "grep -A1 -E '$status' tty.txt | grep -q '^[:.]'"
    check "terminal: the stop" grep -q '^lpsens: stopped at the time limit of 4.5 s: no verdict$' tty.txt
    timeout 60 "$bin" --time-limit=2.5 < dense999.lp > file.out 2> file.err
    check "file: exit code 75" [ $? = 75 ]
    check "file: no status line" eval "! grep -Eq 'exchanges, objective' file.err"
    timeout 60 script -qec "$bin --quiet --time-limit=2.5 --input=dense999.lp > quiet.out" /dev/null < /dev/null \
        > quiet.err 2>&1
    check "terminal, --quiet: only the stop" \
        [ "$(tr -d '\r' < quiet.err)" = "lpsens: stopped at the time limit of 2.5 s: no verdict" ]
    timeout 20 script -qec "$bin --quiet" /dev/null < "$dir/sample.lp" > prompt.txt 2>&1
    check "terminal, --quiet: no prompt for standard input" eval "! grep -q 'reading the problem' prompt.txt"
else
    echo "no script(1): the terminal is not tested"
fi

finish "limits"
