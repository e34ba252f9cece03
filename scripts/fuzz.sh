#!/usr/bin/env bash
# Runs each fuzz target for a fixed time from a scratch copy of its seed corpus,
# so the tree's corpus stays small and reviewed.
set -euo pipefail
build=$1
seconds=$2
root=$(cd "$(dirname "$0")/.." && pwd)
status=0
for target in "$build"/fuzz_*; do
  [ -x "$target" ] || continue
  name=$(basename "$target"); name=${name#fuzz_}
  work=$(mktemp -d)
  cp -r "$root/fuzz/corpus/$name/." "$work/" 2>/dev/null || true
  echo "== fuzzing $name for ${seconds}s"
  if ! QT_QPA_PLATFORM=offscreen LSAN_OPTIONS="suppressions=$root/scripts/lsan.supp" "$target" "$work" -max_total_time="$seconds" -max_len=65536 \
       -rss_limit_mb=2048 -timeout=10 -print_final_stats=1 -artifact_prefix="$build/crash-$name-" 2>"$build/fuzz-$name.log"; then
    echo "fuzz target $name failed; see $build/fuzz-$name.log"
    tail -n 40 "$build/fuzz-$name.log"
    status=1
  else
    grep -E 'stat::number_of_executed_units|Done' "$build/fuzz-$name.log" | tail -n 2 || true
  fi
  rm -rf "$work"
done
exit $status
