# What the benchmark scripts (tools/bench_*.sh) share; they source it first.
#
# After sourcing, the working folder is the checkout, ROOT names it, PYTHON
# is the system's python3 (with the packages the data tools use) and BUILD
# the benchmark tree (Release, -DVARNEL_BENCHMARKS=ON) under BUILD_ROOT
# (default: build).
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$ROOT"
PYTHON=/usr/bin/python3
BUILD="$ROOT/${BUILD_ROOT:-build}/bench"

# build_bench TARGET...: builds the targets in the benchmark tree, quietly
# (JOBS jobs, 3 by default), configuring the tree first if need be.
build_bench() {
  if [ ! -f "$BUILD/build.ninja" ]; then
    cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVARNEL_BENCHMARKS=ON >/dev/null
  fi
  cmake --build "$BUILD" -j "${JOBS:-3}" --target "$@" >/dev/null
}

# shared_folder [FOLDER]: SHARED, the shared sample data: FOLDER, or
# ../shared beside the checkout.
shared_folder() {
  SHARED=$(cd "${1:-$ROOT/../shared}" && pwd)
}

# data_folder: DATA, a temporary folder removed when the script ends; says
# where it is.
data_folder() {
  DATA=$(mktemp -d)
  trap 'rm -rf "$DATA"' EXIT
  echo "generating data in $DATA ..."
}

# generate_topo COPIES FILE [--gzip]: a topography file of COPIES copies of
# the shared sample (2000 copies: about 194 MB, 78,000 features), and with
# --gzip its gzip FILE.gz beside it.
generate_topo() {
  "$PYTHON" "$SHARED/tools/gen_topo.py" "$SHARED/testdata/osmm/topo-small-v7.gml" "$1" "$2" >/dev/null
  if [ "${3:-}" = --gzip ]; then gzip -k -6 "$2"; fi
  # Written out now, so that write-back does not fall on the timed runs.
  sync
}

# list_sizes FILE...: each file's size in bytes and its path, a line each.
list_sizes() {
  ls -l "$@" | awk '{print $5, $9}'
}

# elapsed_and_peak LOG: "SECONDS KIB" from the report of /usr/bin/time -v,
# the wall-clock time and the peak resident memory.
elapsed_and_peak() {
  awk -F': ' '
    /Elapsed \(wall clock\)/ {
      n = split($2, part, ":"); t = 0
      for (i = 1; i <= n; ++i) t = t * 60 + part[i]
    }
    /Maximum resident set size/ { m = $2 }
    END { print t, m }' "$1"
}
