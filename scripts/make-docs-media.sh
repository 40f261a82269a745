#!/usr/bin/env bash
# Makes the README's pictures of a real game from the virtual desktop: the built-in player
# plays with a fixed seed, the program saves PNGs of the desktop, and ImageMagick turns them
# into docs/screenshot.png (the whole desktop as the boss speaks) and docs/play.gif (the strip
# along the bottom of the screen as the boss arrives and the fight begins).
#   scripts/make-docs-media.sh [PETALWING]     default: builds build/default/petalwing
set -euo pipefail
cd "$(dirname "$0")/.."

if [ $# -ge 1 ]; then
  game=$1
else
  scripts/install-deps.sh build test
  cmake --preset default >/dev/null
  cmake --build --preset default --target petalwing
  game=build/default/petalwing
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

run=("$game" --headless --autopilot --seed 1 --screen 1024x768)
# A first run finds the moment the boss arrives.
"${run[@]}" --until 250000 --trace "$work/trace.jsonl"
boss=$(grep -o '"t":[0-9]*,"ev":"phase","phase":"boss"' "$work/trace.jsonl" | head -1 |
  sed 's/"t":\([0-9]*\).*/\1/')
[ -n "$boss" ] || { echo "make-docs-media: the boss never came" >&2; exit 1; }

# The animation: 10 pictures a second (every second frame of the game), 12 seconds.
first=$((boss - 4000)) frames=120 step=100
shots=(--shot $((boss + 5400)):"$work/screenshot.png")
for i in $(seq 0 $((frames - 1))); do
  shots+=(--shot $((first + i * step)):"$(printf '%s/frame-%03d.png' "$work" "$i")")
done
"${run[@]}" --until $((first + frames * step)) "${shots[@]}"

mkdir -p docs
convert "$work/screenshot.png" -strip docs/screenshot.png
# The strip: the scenery, the ship, the enemies and the boss live in the screen's lowest 200
# pixels; the pixels stay as the game drew them.
convert -delay $((step / 10)) -loop 0 "$work"/frame-*.png -crop 1024x200+0+568 +repage \
  -layers Optimize docs/play.gif
ls -l docs/screenshot.png docs/play.gif
