# The tallies of a test script, sourced by each: a work folder removed at
# the end, check WHAT COMMAND..., and finish NAME for the summary line and
# the exit status.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
passed=0
failed=0
check() {  # what, then a command that must succeed
    local what=$1
    shift
    if "$@"; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAIL $what"; fi
}
finish() {  # the script's name in the summary
    echo "$1: $passed passed, $failed failed"
    [ "$failed" -eq 0 ]
}
