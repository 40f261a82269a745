#!/usr/bin/env bash
# Smoke test of the Windows program under Wine on an X display (Xvfb): its help and a refused
# option of the virtual desktop; then it starts, the lamps and the title banner appear as shaped
# windows, Space starts play, and the menu's last item ("終了") ends the program.
#   scripts/win32-smoke.sh PETALWING.EXE OUTDIR
# Wine comes from $PETALWING_WINE (default: wine) with the caller's WINEPREFIX; screenshots go
# to OUTDIR.
set -euo pipefail
exe=$1
out=$2
wine=${PETALWING_WINE:-wine}
mkdir -p "$out"
rm -f "$out"/*.png

fail() {
  echo "win32-smoke: $*" >&2
  exit 1
}
shot() { import -window root "$out/$1.png"; }
pixel() { identify -format "%[pixel:p{$1,$2}]" "$out/$3.png"; }
# The position of the visible window of the given size, or nothing.
window_of_size() {
  local w
  for w in $(xdotool search --onlyvisible --name 'frm' 2>/dev/null); do
    eval "$(xdotool getwindowgeometry --shell "$w")"
    if [ "$WIDTH" = "$1" ] && [ "$HEIGHT" = "$2" ]; then
      echo "$X $Y"
      return
    fi
  done
}

# What it takes: its help offers only its own options, and the virtual desktop's are refused in
# one line with code 2 (the program writes to the console or file it was started with).
"$wine" "$exe" --help >"$out/help.log" 2>/dev/null || fail "--help ended with code $?"
grep -q -- '--autopilot' "$out/help.log" || fail "--help: $(cat "$out/help.log")"
! grep -qE -- '--(headless|sprite-sheet|script|screen|shot)' "$out/help.log" ||
  fail "--help offers the virtual desktop's options: $(cat "$out/help.log")"
code=0
"$wine" "$exe" --sprite-sheet "$out/sheet.png" >"$out/refused.log" 2>/dev/null || code=$?
[ "$code" = 2 ] || fail "--sprite-sheet ended with code $code"
[ "$(wc -l <"$out/refused.log")" = 1 ] && grep -q 'is for the virtual desktop' "$out/refused.log" ||
  fail "--sprite-sheet: $(cat "$out/refused.log")"
[ ! -e "$out/sheet.png" ] || fail "--sprite-sheet wrote a picture"

"$wine" "$exe" >"$out/program.log" 2>&1 &
pid=$!
trap 'kill "$pid" 2>/dev/null || true' EXIT
read -r _ screen_h < <(xdotool getdisplaygeometry)

# The title: the banner (300 x 48) and the lamp window (25 x 11) on the bottom of the screen.
for _ in $(seq 60); do
  [ -n "$(window_of_size 300 48)" ] && [ -n "$(window_of_size 25 11)" ] && break
  kill -0 "$pid" 2>/dev/null || fail "the program ended at the start"
  sleep 0.5
done
[ -n "$(window_of_size 300 48)" ] || fail "no title banner"
read -r lamp_x lamp_y < <(window_of_size 25 11)
sleep 1
shot 1-title
# Two green lamps, and between them the desktop: the window is cut to its shape.
left=$(pixel $((lamp_x + 5)) $((lamp_y + 5)) 1-title)
right=$(pixel $((lamp_x + 18)) $((lamp_y + 5)) 1-title)
gap=$(pixel $((lamp_x + 11)) $((lamp_y + 5)) 1-title)
[ "$left" = "srgb(0,255,0)" ] && [ "$right" = "srgb(0,255,0)" ] || fail "lamps are $left $right"
[ "$gap" != "srgb(0,255,0)" ] || fail "the lamp window is not shaped"
[ "$lamp_y" -eq $((screen_h - 11)) ] || fail "the lamp window stands at y $lamp_y"

# Space starts play: the banner goes.
xdotool mousemove 300 200 key space
for _ in $(seq 20); do
  [ -z "$(window_of_size 300 48)" ] && break
  sleep 0.25
done
[ -z "$(window_of_size 300 48)" ] || fail "Space did not start the game"
sleep 1
shot 2-play

# A right click on a lamp opens the menu; its last item quits.
xdotool mousemove $((lamp_x + 5)) $((lamp_y + 5)) click 3
sleep 1
shot 3-menu
kill -0 "$pid" 2>/dev/null || fail "the program ended on the right click"
xdotool key Up Return
for _ in $(seq 40); do
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.25
done
kill -0 "$pid" 2>/dev/null && fail "the menu's last item did not end the program"
trap - EXIT
wait "$pid" || fail "the program ended with code $?"
shot 4-ended
echo "win32-smoke: --help and a refused --sprite-sheet; started, showed the title and the lamps, played, quit from the menu"
