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
build/default/petalwing --headless --script scripts/demo.script --until 20000 \
  --trace demo/trace.jsonl \
  --shot 1000:demo/1-title.png --shot 2600:demo/2-takeoff.png --shot 12000:demo/3-flight.png
echo "No display here: played a headless demo. Pictures and trace are in $(pwd)/demo/"
