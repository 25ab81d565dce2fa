#!/usr/bin/env bash
# Reading benchmark of the compressed-input reader.
#
#   tools/bench_archive.sh [SHARED_FOLDER]
#
# Generates a topography file of about 190 MB from the shared sample data
# (SHARED_FOLDER defaults to ../shared beside the checkout) and its gzip in
# a temporary folder, then times reading every character of both through
# the reader against `gzip -dc FILE.gz > /dev/null`, best of three runs
# each. Nothing is written into the checkout but the build tree.
source "$(dirname "$0")/bench_common.sh"
shared_folder "${1:-}"
RUNS=3
build_bench bench_archive

data_folder
generate_topo 2000 "$DATA/topo.gml" --gzip
list_sizes "$DATA"/topo.gml "$DATA"/topo.gml.gz

best_gzip=""
for _ in $(seq $RUNS); do
  start=$(date +%s.%N)
  gzip -dc "$DATA/topo.gml.gz" >/dev/null
  end=$(date +%s.%N)
  t=$(awk -v a="$start" -v b="$end" 'BEGIN { print b - a }')
  if [ -z "$best_gzip" ] || awk -v t="$t" -v b="$best_gzip" 'BEGIN { exit !(t < b) }'; then
    best_gzip=$t
  fi
done

results=$("$BUILD/tools/bench_archive" -n $RUNS "$DATA/topo.gml" "$DATA/topo.gml.gz")
plain=$(echo "$results" | sed -n 1p | cut -d' ' -f1)
packed=$(echo "$results" | sed -n 2p | cut -d' ' -f1)

awk -v g="$best_gzip" -v p="$plain" -v z="$packed" 'BEGIN {
  printf "gzip -dc > /dev/null  %.3f s\n", g
  printf "reader, plain file    %.3f s  %.2f x gzip -dc (target at most 0.50)\n", p, p / g
  printf "reader, gzip file     %.3f s  %.2f x gzip -dc (target at most 1.25)\n", z, z / g
}'
