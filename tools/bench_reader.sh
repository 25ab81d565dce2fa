#!/usr/bin/env bash
# Reading-run benchmark of the GML reader, against the zlib floor.
#
#   tools/bench_reader.sh [SHARED_FOLDER]
#
# Generates two topography files from the shared sample data (SHARED_FOLDER
# defaults to ../shared beside the checkout) in a temporary folder: a large
# one of about 194 MB (2000 copies of the sample) and a small one of about
# 19 MB (200 copies), each with its gzip. Each round then runs, one after the
# other so that a change of load on the machine falls on all of them alike:
#   zlib_floor FILE.gml.gz      zlib's gzread in 16 KB pieces and nothing else
#   gzip -dc FILE.gml.gz        to /dev/null
#   bench_reader count|import FILE.gml and FILE.gml.gz
# every one a process of its own under /usr/bin/time -v (wall-clock time and
# peak resident memory of the whole process). A round's ratios are taken
# within the round; the figures shown are the medians over RUNS rounds
# (default 5) of the times and of the ratios, and the largest peak memory.
# Nothing is written into the checkout but the build tree.
source "$(dirname "$0")/bench_common.sh"
shared_folder "${1:-}"
RUNS=${RUNS:-5}

build_bench bench_reader zlib_floor
BENCH="$BUILD/tools/bench_reader"
FLOOR="$BUILD/tools/zlib_floor"

data_folder
for copies in 2000 200; do generate_topo "$copies" "$DATA/topo$copies.gml" --gzip; done
list_sizes "$DATA"/topo*.gml*
echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg), $(nproc) processors"

# measure <command...>: "<wall seconds> <peak KiB>" of one process.
measure() {
  local log
  log=$(mktemp)
  /usr/bin/time -v "$@" >/dev/null 2>"$log" || { cat "$log" >&2; rm -f "$log"; return 1; }
  elapsed_and_peak "$log" | awk '{ printf "%.3f %d\n", $1, $2 }'
  rm -f "$log"
}

# median of the numbers on standard input
median() {
  sort -g | awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

items=(floor gzip count:gml count:gz import:gml import:gz)
declare -A times ratios peak
for copies in 2000 200; do
  for _ in $(seq "$RUNS"); do
    declare -A round=()
    for item in "${items[@]}"; do
      case $item in
        floor) cmd=("$FLOOR" "$DATA/topo$copies.gml.gz") ;;
        gzip) cmd=(gzip -dc "$DATA/topo$copies.gml.gz") ;;
        *:gml) cmd=("$BENCH" "${item%%:*}" "$DATA/topo$copies.gml") ;;
        *:gz) cmd=("$BENCH" "${item%%:*}" "$DATA/topo$copies.gml.gz") ;;
      esac
      read -r t m <<<"$(measure "${cmd[@]}")"
      round[$item]=$t
      key="$copies:$item"
      times[$key]+="$t "
      if [ "$m" -gt "${peak[$key]:-0}" ]; then peak[$key]=$m; fi
    done
    for item in "${items[@]:1}"; do
      ratios["$copies:$item"]+="$(awk -v a="${round[$item]}" -v b="${round[floor]}" 'BEGIN { print a / b }') "
    done
  done
done
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"

for copies in 2000 200; do
  size=$(stat -c %s "$DATA/topo$copies.gml")
  memoryAim=$([ "$copies" = 2000 ] && echo 0.8 || echo 1.5)
  printf "\n%s copies: %.1f MB GML, median of %d rounds (ratios taken within each round)\n" \
    "$copies" "$(awk -v s="$size" 'BEGIN { print s / 1e6 }')" "$RUNS"
  for item in "${items[@]}"; do
    key="$copies:$item"
    t=$(tr ' ' '\n' <<<"${times[$key]}" | grep . | median)
    case $item in
      floor) label="zlib floor (gzread)"; aim="" ;;
      gzip) label="gzip -dc > /dev/null"; aim="" ;;
      count:gml) label="count  plain"; aim="" ;;
      count:gz) label="count  gzip"; aim="aim at most 1.10" ;;
      import:gml) label="import plain"; aim="aim at most 1.00" ;;
      import:gz) label="import gzip"; aim="aim at most 1.50" ;;
    esac
    line=$(printf "  %-22s %7.3f s" "$label" "$t")
    if [ "$item" != floor ]; then
      r=$(tr ' ' '\n' <<<"${ratios[$key]}" | grep . | median)
      line+=$(printf "  %5.2f x floor" "$r")
      if [ -n "$aim" ] && [ "$copies" = 2000 ]; then line+=" ($aim)"; fi
    fi
    line+=$(awk -v p="${peak[$key]}" -v s="$size" 'BEGIN { printf "  peak %6.1f MB (%.2f x GML)", p * 1024 / 1e6, p * 1024 / s }')
    if [ "${item%%:*}" = import ]; then line+=" (aim at most $memoryAim)"; fi
    echo "$line"
  done
done
