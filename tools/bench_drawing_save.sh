#!/usr/bin/env bash
# Build and save benchmark of the drawing database.
#
#   tools/bench_drawing_save.sh [COUNT]
#
# Builds a drawing of COUNT (default 1,000,000) closed lightweight polylines
# of 5 vertices, each with a block of 60 attribute strings as xdata, saves
# it as DXF in a temporary folder and reports seconds and peak memory for
# both steps. Nothing is written into the checkout but the build tree.
source "$(dirname "$0")/bench_common.sh"
build_bench host_db_bench

DATA=$(mktemp -d)
trap 'rm -rf "$DATA"' EXIT
"$BUILD/host/db/host_db_bench" "${1:-1000000}" "$DATA"
