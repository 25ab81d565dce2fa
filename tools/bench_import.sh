#!/usr/bin/env bash
# Benchmark of the whole import, as a user runs it.
#
#   tools/bench_import.sh [SHARED_FOLDER]
#
# Generates a topography file of about 190 MB (78,000 features) from the
# shared sample data (SHARED_FOLDER defaults to ../shared beside the
# checkout) and its gzip in a temporary folder. Each is imported through
# cadhost with the default support folder, from loading Varnel to the saved
# DXF (a script answers the main dialog: the folder of the file, Draw, the
# CSV folder). In the same run, GDAL converts the plain file to DXF
# (ogr2ogr, all its layers into one DXF) and zlib_floor inflates the gzip
# through gzread alone. Prints wall-clock times, the ratios to GDAL and to
# the zlib floor, and peak memory (/usr/bin/time -v) against the file's
# size. RUNS (default 1) runs of each; the best is kept. Nothing is written
# into the checkout but the build tree. IMPORT_TREE names another build tree
# whose cadhost and Varnel are measured (default: the benchmark tree,
# Release).
source "$(dirname "$0")/bench_common.sh"
shared_folder "${1:-}"
RUNS=${RUNS:-1}

missing=()
command -v ogr2ogr >/dev/null || missing+=(gdal-bin)
[ -x /usr/bin/time ] || missing+=(time)
if [ ${#missing[@]} -gt 0 ]; then
  echo "Missing packages. Run as root:"
  echo "  apt-get install -y ${missing[*]}"
  exit 1
fi

if [ -n "${IMPORT_TREE:-}" ] && [ "$(cd "$IMPORT_TREE" && pwd)" != "$BUILD" ]; then
  build_bench zlib_floor
else
  build_bench cadhost Varnel zlib_floor
fi
TREE=$(cd "${IMPORT_TREE:-$BUILD}" && pwd)
CADHOST="$TREE/host/app/cadhost"
VARNEL="$TREE/gml/ui/Varnel.so"

data_folder
generate_topo 2000 "$DATA/topo.gml" --gzip
list_sizes "$DATA"/topo.gml "$DATA"/topo.gml.gz
GML_BYTES=$(stat -c %s "$DATA/topo.gml")

# measure LABEL COMMAND...: runs the command RUNS times under /usr/bin/time
# and sets SECONDS_<LABEL> and KB_<LABEL> to the best time and its peak
# resident memory. A failed command stops the benchmark.
measure() {
  local label=$1 best="" kb="" log t m
  shift
  log=$DATA/time.log
  for _ in $(seq "$RUNS"); do
    if ! /usr/bin/time -v -o "$log" "$@" >"$DATA/out.log" 2>&1; then
      tail -n 20 "$DATA/out.log"
      echo "$label: failed"
      exit 1
    fi
    read -r t m <<<"$(elapsed_and_peak "$log")"
    if [ -z "$best" ] || awk -v t="$t" -v b="$best" 'BEGIN { exit !(t < b) }'; then
      best=$t
      kb=$m
    fi
  done
  printf -v "SECONDS_$label" '%s' "$best"
  printf -v "KB_$label" '%s' "$kb"
}

# import LABEL FILE: the import of FILE alone through cadhost.
import() {
  local label=$1 file=$2 dir=$DATA/$1
  rm -rf "$dir" && mkdir -p "$dir/input" "$dir/csv"
  cp -r "$ROOT/support" "$dir/support"
  ln -s "$file" "$dir/input/"
  cat >"$dir/import.script" <<EOS
lwhgmlin
!answer no
!answer $dir/input
!dlg_click 1
!answer $dir/csv/
!save $dir/drawing.dxf
EOS
  measure "$label" bash -c "cd '$dir' && rm -f drawing.dxf && '$CADHOST' --addin '$VARNEL' \
    --support '$dir/support' --registry '$dir/registry' import.script && test -s drawing.dxf"
  ls -l "$dir/drawing.dxf" | awk -v l="$label" '{ print l ": drawing of " $5 " bytes" }'
}

echo "importing the plain file ..."
import plain "$DATA/topo.gml"
echo "importing the gzip file ..."
import gzip "$DATA/topo.gml.gz"
echo "converting with GDAL ..."
measure gdal bash -c "rm -f '$DATA/gdal.dxf' && ogr2ogr -f DXF '$DATA/gdal.dxf' '$DATA/topo.gml' -nln entities -append"
echo "inflating with zlib alone ..."
measure zlib "$BUILD/tools/zlib_floor" "$DATA/topo.gml.gz"

echo
echo "$(nproc) processors, load average $(cut -d' ' -f1-3 /proc/loadavg), best of $RUNS, import by $TREE"
awk -v p="$SECONDS_plain" -v z="$SECONDS_gzip" -v g="$SECONDS_gdal" -v f="$SECONDS_zlib" \
    -v pk="$KB_plain" -v zk="$KB_gzip" -v gk="$KB_gdal" -v bytes="$GML_BYTES" 'BEGIN {
  mb = bytes / 1048576
  printf "GDAL ogr2ogr to DXF, plain   %7.2f s  %6.0f MB peak\n", g, gk / 1024
  printf "zlib floor, gzip             %7.2f s\n", f
  printf "import, plain file           %7.2f s  %6.0f MB peak (%.2f x the GML)  1/%.1f of GDAL (aim at most 1/20)\n",
         p, pk / 1024, pk * 1024 / bytes, g / p
  printf "import, gzip file            %7.2f s  %6.0f MB peak (%.2f x the GML)  %.1f x the zlib floor (aim at most 4)\n",
         z, zk / 1024, zk * 1024 / bytes, z / f
  printf "GML file                     %7.0f MB\n", mb
}'
