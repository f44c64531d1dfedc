#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a short time over
# its seeds (fuzz/seeds/<name>). Exits non-zero when a fuzzer finds a fault.
# CL_FUZZ_SECONDS sets the time per target (default 10). CL_FUZZ_BUILD names
# a build folder already configured with clang and CL_FUZZ (the test script's);
# without it the targets are built in build/fuzz. CL_FUZZ_MALLOC_MB sets the
# largest single allocation allowed (default 128 MB).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build="${CL_FUZZ_BUILD:-$top/build/fuzz}"
secs=${CL_FUZZ_SECONDS:-10}
# No single allocation may pass this: a reader that lets a few bytes of
# input reserve a huge picture or buffer fails its target.
malloc_mb=${CL_FUZZ_MALLOC_MB:-128}
if [ -z "${CL_FUZZ_BUILD:-}" ]; then
  CC=clang CXX=clang++ cmake -S "$top" -B "$build" -G Ninja -DCL_FUZZ=ON -DCL_SANITIZE=ON -DCL_TESTS=OFF \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1" >/dev/null
fi
cmake --build "$build" -j "$(nproc)" --target fuzz_all
export ASAN_OPTIONS=detect_leaks=1
for exe in "$build"/fuzz/fuzz_*; do
  [ -x "$exe" ] || continue
  name=${exe##*/fuzz_}
  corpus=$(mktemp -d)
  echo "fuzz: $name for ${secs}s"
  "$exe" -max_total_time="$secs" -timeout=10 -rss_limit_mb=2048 -malloc_limit_mb="$malloc_mb" -print_final_stats=0 \
    -artifact_prefix="$build/$name-" "$corpus" "$top/fuzz/seeds/$name" 2>"$build/$name.log" \
    || { tail -40 "$build/$name.log"; rm -rf "$corpus"; exit 1; }
  rm -rf "$corpus"
done
