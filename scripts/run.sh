#!/usr/bin/env bash
# Installs what is missing, builds the program and starts it.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/setup.sh"
build="$top/build/release"
cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCL_TESTS=OFF >/dev/null
cmake --build "$build" -j "$(nproc)"
program="$build/app/cardloader"
if [ -x "$program" ]; then
  exec "$program" "$@"
fi
echo "Built everything; the program's window is not built yet."
