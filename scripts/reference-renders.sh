#!/usr/bin/env bash
# Regenerates the reference renders that the render test compares against: each example,
# run to its stop time, painted at 100 %. Look at the new pictures before committing them.
set -euo pipefail
cli="${1:-build/quorvane-cli}"
out="tests/cli/reference"
mkdir -p "$out"
for model in examples/*.qvf; do
  name="$(basename "$model" .qvf)"
  "$cli" render "$model" "$out/$name.png" --run
  echo "wrote $out/$name.png"
done
