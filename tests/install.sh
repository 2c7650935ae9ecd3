#!/usr/bin/env bash
# make install with DESTDIR and PREFIX puts the program and its manual page,
# and nothing else, below DESTDIR/PREFIX; both work from there.
#   install.sh SOURCE_DIR BUILD_DIR
set -u
src=$1
build=$2
# shellcheck source=tests/checks.sh
. "$(dirname "$0")/checks.sh"
stage=$work/stage
prefix=/opt/lpsens-test
# The build folder is configured as it already is (warnings as errors or
# not), so installing rebuilds nothing while the other tests run its program.
werror=0
grep -q '^LPSENS_WERROR:BOOL=ON$' "$build/CMakeCache.txt" && werror=1
if ! make -C "$src" install BUILD="$build" WERROR=$werror JOBS=2 DESTDIR="$stage" PREFIX="$prefix" > "$work/make.log" 2>&1; then
    cat "$work/make.log"
    echo "FAIL make install"
    exit 1
fi
bin=$stage$prefix/bin/lpsens
page=$stage$prefix/share/man/man1/lpsens.1
check "the program is installed" [ -x "$bin" ]
check "the manual page is installed" cmp -s "$page" "$src/doc/lpsens.1"
check "nothing else is installed" [ "$(find "$stage" -type f | wc -l)" = 2 ]
check "nothing outside DESTDIR" [ ! -e "$prefix" ]
check "the installed program runs" eval "'$bin' --version | grep -q '^lpsens '"
(cd "$work" && "$bin" "$src/examples/sample.lp" > sample.out 2> /dev/null)
check "the installed program solves" grep -q 'Optimal value : ,         12.000' "$work/sample.out"
if command -v groff > /dev/null; then
    check "the manual page renders without warnings" [ -z "$(groff -man -Tutf8 -ww -z "$page" 2>&1)" ]
fi
if command -v man > /dev/null; then
    MANWIDTH=80 man -l "$page" > "$work/page.txt" 2> /dev/null
    for section in NAME SYNOPSIS DESCRIPTION MODES OPTIONS "INPUT FORMATS" "EXIT STATUS" FILES EXAMPLES; do
        check "the manual page has $section" grep -q "^$section" "$work/page.txt"
    done
    # Every option of the usage line, and every exit code, is described.
    for option in $("$bin" --help | head -1 | grep -o -- '--[a-z0-9-]*' | sort -u); do
        check "the manual page describes $option" grep -q -- "^ *$option" "$work/page.txt"
    done
    for option in --time-limit --quiet; do
        check "the manual page describes $option" grep -q -- "^ *$option" "$work/page.txt"
    done
    for code in 0 64 70 75 76 106 203 205; do
        check "the manual page explains exit code $code" grep -q "^ *$code  " "$work/page.txt"
    done
fi
finish "install"
