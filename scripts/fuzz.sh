#!/usr/bin/env bash
# Runs fuzz targets one after another, each for a fixed time from a scratch copy of its corpus
# in the tree (fuzz/corpus/<target>), and prints how many inputs each one ran.
#
#   scripts/fuzz.sh BUILD SECONDS
#
# FUZZ_TARGETS  names to run (e.g. "xmile_reader model_loader"); every target when empty
# FUZZ_MERGE=1  afterwards, merge what the run found into the tree's corpus, minimised with
#               libFuzzer's -merge=1: the named seeds stay, the found inputs (named by their
#               SHA-1) are replaced by a small set, smallest files first, that reaches every
#               edge of the code they and the new finds reach beyond the named seeds (edges
#               only, not hit counts, which would keep several times as many files); files
#               above FUZZ_SEED_MAX_BYTES are left out
# FUZZ_NICE     niceness of the fuzzing (19: the machine is shared)
# FUZZ_TIMEOUT  seconds one input may take (wall clock, so generous on a busy machine)
set -euo pipefail
build=$1
seconds=$2
root=$(cd "$(dirname "$0")/.." && pwd)
merge=${FUZZ_MERGE:-0}
max_seed=${FUZZ_SEED_MAX_BYTES:-8192}
niceness=${FUZZ_NICE:-19}
timeout=${FUZZ_TIMEOUT:-30}
summary="$build/fuzz-summary.txt"

targets=()
if [ -n "${FUZZ_TARGETS:-}" ]; then
  for name in $FUZZ_TARGETS; do
    if [ ! -x "$build/fuzz_$name" ]; then
      echo "no fuzz target $name in $build (known: $(cd "$build" && ls fuzz_* | sed 's/^fuzz_//' | tr '\n' ' '))"
      exit 2
    fi
    targets+=("$name")
  done
else
  for target in "$build"/fuzz_*; do
    [ -x "$target" ] || continue
    name=$(basename "$target")
    targets+=("${name#fuzz_}")
  done
fi
[ ${#targets[@]} -gt 0 ] || { echo "no fuzz targets in $build"; exit 2; }

export QT_QPA_PLATFORM=offscreen
export LSAN_OPTIONS="suppressions=$root/scripts/lsan.supp"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"

# Found inputs carry the SHA-1 of their bytes as their name; every other name is a seed
# written by hand.
is_found() { [[ $(basename "$1") =~ ^[0-9a-f]{40}$ ]]; }

merge_into_tree() {
  local name=$1 target=$2 work=$3 corpus=$4 log=$5
  local keep pool
  keep=$(mktemp -d)
  pool=$(mktemp -d)
  for file in "$corpus"/*; do
    [ -f "$file" ] || continue
    if is_found "$file"; then cp "$file" "$pool/"; else cp "$file" "$keep/"; fi
  done
  find "$work" -type f -size -$((max_seed + 1))c -exec cp {} "$pool/" \;
  if ! nice -n "$niceness" "$target" -merge=1 -use_counters=0 -max_len=65536 -rss_limit_mb=2048 -timeout="$timeout" \
       "$keep" "$pool" >>"$log" 2>&1; then
    echo "merging $name failed; see $log"
    rm -rf "$keep" "$pool"
    return 1
  fi
  find "$corpus" -maxdepth 1 -type f -regextype posix-extended -regex '.*/[0-9a-f]{40}' -delete
  for file in "$keep"/*; do
    if is_found "$file" && [ "$(stat -c %s "$file")" -le "$max_seed" ]; then cp "$file" "$corpus/"; fi
  done
  rm -rf "$keep" "$pool"
}

status=0
printf '%-16s %8s %12s %10s %8s  %s\n' target seconds inputs "inputs/s" corpus result >"$summary"
for name in "${targets[@]}"; do
  target="$build/fuzz_$name"
  corpus="$root/fuzz/corpus/$name"
  log="$build/fuzz-$name.log"
  if [ ! -d "$corpus" ] || [ -z "$(ls -A "$corpus")" ]; then
    echo "fuzz target $name has no seed corpus in fuzz/corpus/$name"
    status=1
    continue
  fi
  dict=()
  [ -f "$root/fuzz/dict/$name.dict" ] && dict=(-dict="$root/fuzz/dict/$name.dict")
  work=$(mktemp -d)
  cp -r "$corpus/." "$work/"
  echo "== fuzzing $name for ${seconds}s"
  result=clean
  if ! nice -n "$niceness" "$target" "$work" "${dict[@]}" -max_total_time="$seconds" \
       -max_len=65536 -rss_limit_mb=2048 -timeout="$timeout" -print_final_stats=1 \
       -artifact_prefix="$build/crash-$name-" >"$log" 2>&1; then
    echo "fuzz target $name failed; see $log"
    tail -n 40 "$log"
    result=FAILED
    status=1
  fi
  # The final statistics, or after a failure the last progress line.
  inputs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  [ -n "$inputs" ] || inputs=$(sed -n 's/^#\([0-9]*\).*/\1/p' "$log" | tail -n 1)
  inputs=${inputs:-0}
  if [ "$merge" = 1 ] && [ "$result" = clean ]; then
    before=$(ls "$corpus" | wc -l)
    if merge_into_tree "$name" "$target" "$work" "$corpus" "$log"; then
      after=$(ls "$corpus" | wc -l)
      result="clean, corpus $before -> $after files"
    else
      result="clean, merge FAILED"
      status=1
    fi
  fi
  rm -rf "$work"
  rate=$((inputs / (seconds > 0 ? seconds : 1)))
  printf '%-16s %8s %12s %10s %8s  %s\n' "$name" "$seconds" "$inputs" "$rate" \
    "$(ls "$corpus" | wc -l)" "$result" >>"$summary"
  echo "   $name: $inputs inputs in ${seconds}s, $result"
done
echo
cat "$summary"
exit $status
