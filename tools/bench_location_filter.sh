#!/usr/bin/env bash
# Cost of the location filter's point, line and rectangle tests.
#
#   tools/bench_location_filter.sh [TESTS]
#
# Builds the benchmark (Release, -DVARNEL_BENCHMARKS=ON) and runs it; it makes
# its outline and road network in memory. Nothing is written into the
# checkout but the build tree.
source "$(dirname "$0")/bench_common.sh"
build_bench bench_location_filter
"$BUILD/tools/bench_location_filter" -n "${1:-200000}"
