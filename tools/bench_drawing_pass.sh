#!/usr/bin/env bash
# Drawing-pass benchmark of the import.
#
#   tools/bench_drawing_pass.sh [SHARED_FOLDER]
#
# Generates a topography file of about 78,000 features from the shared
# sample data (SHARED_FOLDER defaults to ../shared beside the checkout) in a
# temporary folder, reads it, draws its records into a drawing and runs the
# update pass of the same records over that drawing (every feature up to
# date). Gives the times against the reading run's and the peak memory of
# reading plus drawing against the size of the file. Nothing is written into
# the checkout but the build tree.
source "$(dirname "$0")/bench_common.sh"
shared_folder "${1:-}"
build_bench bench_drawing_pass

data_folder
generate_topo 2000 "$DATA/topo.gml"
size=$(stat -c %s "$DATA/topo.gml")

# Each run reads, draws and updates afresh; the ratios are taken within one
# run, so that a loaded machine slows both sides alike. RUNS runs (3 by
# default) and the load average before each are shown.
for run in $(seq "${RUNS:-3}"); do
  load=$(cut -d' ' -f1 /proc/loadavg)
  read -r r d u p n e k <<<"$("$BUILD/tools/bench_drawing_pass" "$DATA/topo.gml")"
  awk -v r="$r" -v d="$d" -v u="$u" -v p="$p" -v n="$n" -v e="$e" -v k="$k" -v s="$size" \
      -v run="$run" -v load="$load" 'BEGIN {
    printf "run %d (load average %s): file %.0f MB, %d features\n", run, load, s / 1e6, n
    printf "  reading run   %7.3f s\n", r
    printf "  drawing pass  %7.3f s  %.2f x the reading run (target at most 1)  %d entities\n", d, d / r, e
    printf "  update pass   %7.3f s  %.2f x the reading run (target at most 0.5)  %d features up to date\n", u, u / r, k
    printf "  peak memory   %.0f MB, %.2f x the file (target at most 2)\n", p / 1024, p * 1024 / s
  }'
done
