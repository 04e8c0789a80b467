#!/usr/bin/env bash
# Runs every benchmark program in a build directory: run-bench.sh BENCH_DIR
set -euo pipefail
for b in "$1"/*_bench; do
  echo "== $(basename "$b")"
  "$b" --benchmark_min_time=0.2
done
