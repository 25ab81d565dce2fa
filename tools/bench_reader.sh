#!/usr/bin/env bash
# Reading-run benchmark of the GML reader.
#
#   tools/bench_reader.sh [SHARED_FOLDER]
#
# Generates a topography file of about 190 MB from the shared sample data
# (SHARED_FOLDER defaults to ../shared beside the checkout) and its gzip in a
# temporary folder, then times the reading run in count mode and in import
# mode on both against `gzip -dc FILE.gz > /dev/null`, best of RUNS rounds
# (default 5), and gives the peak memory of the import runs against the size
# of the uncompressed file. Nothing is written into the checkout but the
# build tree.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
SHARED=$(cd "${1:-$ROOT/../shared}" && pwd)
PYTHON=/usr/bin/python3
RUNS=${RUNS:-5}

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

# Rounds: each times gzip -dc and the four reading runs one after the other,
# so that a change of load on the machine falls on all of them alike; each
# item keeps its best wall-clock time and its best processor time.
declare -A wall cpu peak features
items=(gzip count:topo.gml count:topo.gml.gz import:topo.gml import:topo.gml.gz)

# keep <item> <wall> <cpu>: remembers the smaller times.
keep() {
  if [ -z "${wall[$1]:-}" ] || awk -v a="$2" -v b="${wall[$1]}" 'BEGIN { exit !(a < b) }'; then
    wall[$1]=$2
  fi
  if [ -z "${cpu[$1]:-}" ] || awk -v a="$3" -v b="${cpu[$1]}" 'BEGIN { exit !(a < b) }'; then
    cpu[$1]=$3
  fi
}

for _ in $(seq $RUNS); do
  read -r t u s <<<"$( { /usr/bin/time -f "%e %U %S" gzip -dc "$DATA/topo.gml.gz" >/dev/null; } 2>&1 )"
  keep gzip "$t" "$(awk -v u="$u" -v s="$s" 'BEGIN { print u + s }')"
  for item in "${items[@]:1}"; do
    mode=${item%%:*}
    file=${item#*:}
    read -r t c p n _ <<<"$("$BENCH" "$mode" "$DATA/$file")"
    keep "$item" "$t" "$c"
    if [ "$p" -gt "${peak[$item]:-0}" ]; then peak[$item]=$p; fi
    features[$item]=$n
  done
done

printf "gzip -dc > /dev/null      %.3f s (processor %.3f s)\n" "${wall[gzip]}" "${cpu[gzip]}"
for item in "${items[@]:1}"; do
  mode=${item%%:*}
  file=${item#*:}
  target=$([ "$file" = topo.gml ] && echo "below 1.00" || echo "at most 1.50")
  awk -v m="$mode" -v f="$file" -v t="${wall[$item]}" -v c="${cpu[$item]}" -v g="${wall[gzip]}" \
      -v gc="${cpu[gzip]}" -v p="${peak[$item]}" -v s="$size" -v n="${features[$item]}" \
      -v target="$target" 'BEGIN {
    printf "%-6s %-12s %6.3f s  %.2f x gzip -dc (target %s; processor time %.2f x)", m, f, t,
           t / g, target, c / gc
    if (m == "import")
      printf "  peak %.0f MB, %.2f x file (target at most 2)", p / 1024, p * 1024 / s
    printf "  %d features\n", n
  }'
done
