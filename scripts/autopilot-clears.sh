#!/usr/bin/env bash
# Lets the built-in player play one headless game per seed and counts the games it clears.
#   scripts/autopilot-clears.sh [PETALWING-BINARY] [SEEDS]      (defaults: build/default, 10)
set -euo pipefail
cd "$(dirname "$0")/.."
exe=${1:-build/default/petalwing}
seeds=${2:-10}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cleared=0
for seed in $(seq 1 "$seeds"); do
  "$exe" --headless --autopilot --seed "$seed" --until 300000 --trace "$work/$seed.jsonl"
  if grep -q '"phase":"ending"' "$work/$seed.jsonl"; then
    cleared=$((cleared + 1))
    echo "seed $seed: cleared"
  else
    echo "seed $seed: not cleared"
  fi
done
echo "cleared $cleared of $seeds"
