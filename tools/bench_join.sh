#!/usr/bin/env bash
# Cost of the LarCorvex2 run: scrambled lines and arcs forming chains of 100
# pieces, at two sizes (a quarter of PIECES, then PIECES).
#
#   tools/bench_join.sh [PIECES]
#
# Builds the benchmark (Release, -DVARNEL_BENCHMARKS=ON) and runs it; it makes
# its drawing in memory. Nothing is written into the checkout but the build
# tree.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
BUILD="$ROOT/${BUILD_ROOT:-build}/bench"
if [ ! -f "$BUILD/build.ninja" ]; then
  cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVARNEL_BENCHMARKS=ON >/dev/null
fi
cmake --build "$BUILD" --target bench_join >/dev/null
PIECES=${1:-100000}
"$BUILD/tools/bench_join" $((PIECES / 4))
"$BUILD/tools/bench_join" "$PIECES"
