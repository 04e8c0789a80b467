#!/usr/bin/env bash
# Runs every fuzz target for a bounded time: run-fuzz.sh BUILD_DIR SECONDS
set -euo pipefail
dir=$1
seconds=${2:-60}
corpus=fuzz-corpus
mkdir -p "$corpus/archive" "$corpus/image" "$corpus/sketch" "$corpus/sketch_archive" "$corpus/png" "$corpus/synth" "$corpus/footprint" "$corpus/grlist"
"$dir/fuzz_seeds" "$corpus"
status=0
for target in "$dir"/*_fuzz; do
  name=$(basename "$target" _fuzz)
  mkdir -p "$corpus/$name"
  log="$corpus/$name.log"
  echo "== $name: ${seconds}s"
  rc=0
  "$target" -max_total_time="$seconds" -max_len=4096 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$corpus/$name-" "$corpus/$name" >"$log" 2>&1 || rc=$?
  grep -E 'stat::number_of_executed_units|stat::peak_rss_mb|ERROR|SUMMARY' "$log" || true
  if [ "$rc" -ne 0 ]; then
    echo "$name: finding (exit $rc), see $log"
    status=1
  fi
done
exit $status
