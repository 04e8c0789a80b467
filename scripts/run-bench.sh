#!/usr/bin/env bash
# Runs every benchmark program in a build directory, then the Python package's
# benchmark when the package was built: run-bench.sh BENCH_DIR
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
for b in "$1"/*_bench; do
  [ "$(basename "$b")" = python_peer_bench ] && continue
  echo "== $(basename "$b")"
  "$b" --benchmark_min_time=0.2
done
build=$(dirname "$1")
if [ -d "$build/python/dispc" ]; then
  echo "== python_bench.py"
  PYTHONPATH="$build/python" /usr/bin/python3 "$here/bench/python_bench.py" "$1"
fi
