#!/usr/bin/env bash
# Cost of the LarCorvex2 run: scrambled lines and arcs forming chains of 100
# pieces, at two sizes (a quarter of PIECES, then PIECES).
#
#   tools/bench_join.sh [PIECES]
#
# Builds the benchmark (Release, -DVARNEL_BENCHMARKS=ON) and runs it; it makes
# its drawing in memory. Nothing is written into the checkout but the build
# tree.
source "$(dirname "$0")/bench_common.sh"
build_bench bench_join
PIECES=${1:-100000}
"$BUILD/tools/bench_join" $((PIECES / 4))
"$BUILD/tools/bench_join" "$PIECES"
