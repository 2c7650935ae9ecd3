#!/usr/bin/env bash
# Failures of the operating system's files and devices, through the real
# executable: each must end with the system's error code, never as success.
set -u
bin=$1
sample=$2
passed=0
failed=0
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

expect() {  # name, wanted exit code, actual exit code
    if [ "$2" = "$3" ]; then
        passed=$((passed + 1))
    else
        failed=$((failed + 1))
        echo "FAIL $1: exit code $3, expected $2"
    fi
}

# A full disk behind standard output: ENOSPC (28).
"$bin" < "$sample" > /dev/full 2> /dev/null
expect "standard output on a full disk" 28 $?

# The marker file cannot be created because a folder has its name: EISDIR (21).
mkdir 'KVT_DMY.$$$'
"$bin" < "$sample" > out.txt 2> err.txt
rc=$?
expect "marker file is a folder" 21 $rc
if ! tail -c 31 out.txt | grep -q '^Runtime error  21 at 00010050'; then
    failed=$((failed + 1)); echo "FAIL marker file: no runtime-error line after the reports"
fi
grep -q '^lpsens: cannot create KVT_DMY' err.txt || { failed=$((failed + 1)); echo "FAIL marker file: no explanation"; }
rmdir 'KVT_DMY.$$$'

# No console: standard error closed, runtime error 9 before anything is read.
"$bin" < "$sample" > out.txt 2>&-
expect "closed console" 9 $?
[ "$(cat out.txt)" = $'Runtime error   9 at 00010010\r' ] || { failed=$((failed + 1)); echo "FAIL closed console: output"; }
[ ! -e 'KVT_DMY.$$$' ] || { failed=$((failed + 1)); echo "FAIL closed console: marker file touched"; }

# --help and --version read nothing and leave no marker file.
"$bin" --help < /dev/null > out.txt 2>&1
expect "--help" 0 $?
grep -q '^usage: lpsens' out.txt || { failed=$((failed + 1)); echo "FAIL --help: no usage text"; }
"$bin" --version < /dev/null > out.txt 2>&1
expect "--version" 0 $?
[ ! -e 'KVT_DMY.$$$' ] || { failed=$((failed + 1)); echo "FAIL --version: marker file created"; }

echo "io errors: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
