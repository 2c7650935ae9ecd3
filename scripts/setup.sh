#!/usr/bin/env bash
# Installs the Debian packages that a build needs and this machine lacks.
#   scripts/setup.sh [fuzz]
# The build needs the compiler, CMake, zlib, GMP and GoogleTest (every build folder
# is configured with its tests, so make run and make test share one), and for
# the Python package pybind11 with Debian's own python3 and the packages its
# tests use (numpy, pandas, scipy, pytest, Dask's distributed, venv and pip
# for the install check); fuzz adds clang and its libFuzzer runtime.  As root it installs them with apt-get; as
# anyone else it prints the one apt-get line to run and fails.  When nothing
# is missing it does nothing.
set -euo pipefail
need=${1:-build}

missing=()
command -v cmake >/dev/null 2>&1 || missing+=(cmake)
command -v g++ >/dev/null 2>&1 || missing+=(g++)
command -v make >/dev/null 2>&1 || missing+=(make)
[ -f /usr/include/zlib.h ] || missing+=(zlib1g-dev)
[ -f /usr/include/gtest/gtest.h ] || missing+=(libgtest-dev)
[ -f /usr/include/gmpxx.h ] || missing+=(libgmp-dev)
if [ "$need" = build ]; then
    # Debian's interpreter, whatever python3 stands first on the PATH.
    py=/usr/bin/python3
    [ -x $py ] || missing+=(python3)
    [ -f /usr/include/pybind11/pybind11.h ] || missing+=(pybind11-dev python3-pybind11)
    ls /usr/include/python3*/Python.h >/dev/null 2>&1 || missing+=(python3-dev)
    for module in numpy:python3-numpy pandas:python3-pandas scipy:python3-scipy pytest:python3-pytest \
                  distributed:python3-distributed setuptools:python3-setuptools pip:python3-pip ensurepip:python3-venv wheel:python3-wheel; do
        [ -x $py ] && $py -c "import ${module%%:*}" >/dev/null 2>&1 || missing+=("${module#*:}")
    done
fi
if [ "$need" = fuzz ]; then
    command -v clang++ >/dev/null 2>&1 || missing+=(clang)
    ls /usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a >/dev/null 2>&1 || missing+=(libclang-rt-14-dev)
fi
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
    echo "lpsens needs these Debian packages; install them as root with:" >&2
    echo "  apt-get install -y --no-install-recommends ${missing[*]}" >&2
    exit 1
fi
echo "installing: ${missing[*]}"
apt-get update
DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
