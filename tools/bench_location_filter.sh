#!/usr/bin/env bash
# Cost of the location filter's point, line and rectangle tests.
#
#   tools/bench_location_filter.sh [TESTS]
#
# Builds the benchmark (Release, -DVARNEL_BENCHMARKS=ON) and runs it; it makes
# its outline and road network in memory. Nothing is written into the
# checkout but the build tree.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
BUILD="$ROOT/${BUILD_ROOT:-build}/bench"
if [ ! -f "$BUILD/build.ninja" ]; then
  cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVARNEL_BENCHMARKS=ON >/dev/null
fi
cmake --build "$BUILD" --target bench_location_filter >/dev/null
"$BUILD/tools/bench_location_filter" -n "${1:-200000}"
