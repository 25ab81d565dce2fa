#!/usr/bin/env bash
# Reading-run benchmark of the GML reader.
#
#   tools/bench_reader.sh [SHARED_FOLDER]
#
# Generates a topography file of about 190 MB from the shared sample data
# (SHARED_FOLDER defaults to ../shared beside the checkout) and its gzip in a
# temporary folder, then times the reading run in count mode and in import
# mode on both against `gzip -dc FILE.gz > /dev/null`, best of three runs
# each, and gives the peak memory of the import runs against the size of the
# uncompressed file. Nothing is written into the checkout but the build tree.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
SHARED=$(cd "${1:-$ROOT/../shared}" && pwd)
PYTHON=/usr/bin/python3
RUNS=3

BUILD="$ROOT/${BUILD_ROOT:-build}/bench"
if [ ! -f "$BUILD/build.ninja" ]; then
  cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVARNEL_BENCHMARKS=ON >/dev/null
fi
cmake --build "$BUILD" --target bench_reader >/dev/null
BENCH="$BUILD/tools/bench_reader"

DATA=$(mktemp -d)
trap 'rm -rf "$DATA"' EXIT
echo "generating data in $DATA ..."
"$PYTHON" "$SHARED/tools/gen_topo.py" "$SHARED/testdata/osmm/topo-small-v7.gml" 2000 "$DATA/topo.gml" >/dev/null
gzip -k -6 "$DATA/topo.gml"
size=$(stat -c %s "$DATA/topo.gml")
ls -l "$DATA"/topo.gml "$DATA"/topo.gml.gz | awk '{print $5, $9}'

# smaller <a> <b>: true when a < b (or b is empty).
smaller() { [ -z "$2" ] || awk -v a="$1" -v b="$2" 'BEGIN { exit !(a < b) }'; }

best_gzip=""
for _ in $(seq $RUNS); do
  start=$(date +%s.%N)
  gzip -dc "$DATA/topo.gml.gz" >/dev/null
  end=$(date +%s.%N)
  t=$(awk -v a="$start" -v b="$end" 'BEGIN { print b - a }')
  if smaller "$t" "$best_gzip"; then best_gzip=$t; fi
done
printf "gzip -dc > /dev/null      %.3f s\n" "$best_gzip"

# measure <mode> <file>: best time and largest peak of RUNS runs, and the
# feature count, as "<seconds> <peak KiB> <features>".
measure() {
  local best="" peak=0 features="" line t p
  for _ in $(seq $RUNS); do
    line=$("$BENCH" "$1" "$2")
    read -r t p features _ <<<"$line"
    if smaller "$t" "$best"; then best=$t; fi
    if [ "$p" -gt "$peak" ]; then peak=$p; fi
  done
  echo "$best $peak $features"
}

for mode in count import; do
  for file in topo.gml topo.gml.gz; do
    read -r t peak features <<<"$(measure "$mode" "$DATA/$file")"
    target=$([ "$file" = topo.gml ] && echo "below 1.00" || echo "at most 1.50")
    awk -v m="$mode" -v f="$file" -v t="$t" -v g="$best_gzip" -v p="$peak" -v s="$size" \
        -v n="$features" -v target="$target" 'BEGIN {
      printf "%-6s %-12s %6.3f s  %.2f x gzip -dc (target %s)", m, f, t, t / g, target
      if (m == "import")
        printf "  peak %.0f MB, %.2f x file (target at most 2)", p / 1024, p * 1024 / s
      printf "  %d features\n", n
    }'
  done
done
