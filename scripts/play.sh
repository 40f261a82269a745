#!/usr/bin/env bash
# Installs what is missing, builds, and plays: on your desktop when there is a display,
# otherwise a headless demo that writes pictures of the game into ./demo/.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh build
cmake --preset default >/dev/null
cmake --build --preset default --target petalwing

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ "${1:-}" != "--headless" ]; then
  exec build/default/petalwing "$@"
fi

mkdir -p demo
# The built-in player plays a whole game on the virtual desktop. A first run finds when each
# phase begins; the second takes the pictures at those moments.
demo=(build/default/petalwing --headless --autopilot --seed 1)
"${demo[@]}" --until 250000 --trace demo/trace.jsonl
at() {
  grep -o "\"t\":[0-9]*,\"ev\":\"phase\",\"phase\":\"$1\"" demo/trace.jsonl |
    head -1 | sed 's/"t":\([0-9]*\).*/\1/' || true
}
play=$(at play) boss=$(at boss) clear=$(at clear) staff=$(at staff) ending=$(at ending)
if [ -z "$ending" ]; then
  echo "The autopilot did not clear this game; its trace is in $(pwd)/demo/trace.jsonl" >&2
  exit 1
fi
"${demo[@]}" --until $((ending + 3000)) --trace demo/trace.jsonl \
  --shot 1000:demo/1-title.png --shot $((play + 12000)):demo/2-fight.png \
  --shot $((boss + 8000)):demo/3-boss.png --shot $((clear + 9000)):demo/4-petals.png \
  --shot $((staff + 15000)):demo/5-credits.png --shot $((staff + 29000)):demo/6-ending.png
echo "No display here: the autopilot played a whole headless game (title to ending)."
echo "Pictures and trace are in $(pwd)/demo/"
