#!/usr/bin/env bash
# Installs what is missing, builds everything with AddressSanitizer and
# UndefinedBehaviorSanitizer, and runs every test and then every libFuzzer
# target for a few seconds. Exits non-zero on any failure.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/setup.sh"
build="$top/build/test"
jobs=$(nproc)
# One clang build serves the tests and the fuzz targets, so the libraries are
# compiled once; clang compiles this tree in about half the time of g++.
# -O1 with line tables only keeps the sanitizers effective and the build short.
launcher=()
if command -v ccache >/dev/null 2>&1; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
CC=clang CXX=clang++ cmake -S "$top" -B "$build" -G Ninja -DCL_SANITIZE=ON -DCL_TESTS=ON -DCL_FUZZ=ON \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1" "${launcher[@]}" >/dev/null
cmake --build "$build" -j "$jobs"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
ctest --test-dir "$build" -j "$jobs" --output-on-failure --timeout 900
# Once more with the sanitizer's quarantine off, so that freed memory is
# reused at once, as a plain build's allocator does: a test that only passes
# because a freed object's address stays unused fails here. (A second, plain
# build would double the compile time on a small machine.)
ASAN_OPTIONS=detect_leaks=0:quarantine_size_mb=0:thread_local_quarantine_size_kb=0 \
  ctest --test-dir "$build" -j "$jobs" --output-on-failure --timeout 900
# The parsers of outside data under libFuzzer, a few seconds each, from the
# same build.
CL_FUZZ_BUILD="$build" "$top/scripts/fuzz.sh"
