#!/usr/bin/env bash
# Plays the game under compositors that the desktop tests cannot start by themselves and checks
# the compositor's own screenshots, with a striped desktop window behind the game:
#   - the title is the virtual desktop's picture of it, pixel for pixel;
#   - one autopilot game to its ending, stopped twice in play, in the boss fight, in the staff
#     roll and among the petals: the stripes everywhere outside the game's silhouettes (no
#     trails, no sprite left where it was), the scenery as on the virtual desktop, every sprite
#     drawn;
#   - once the game has ended: the stripes everywhere.
#
#   scripts/test-compositors.sh [kwin-wayland] [kwin-x11] [gnome]     (default: all three)
#
# The game plays through X11 (XWayland on the Wayland compositors): KWin's native desktop, a
# layer surface, has tests of its own (tests/desktop/kwin_native_test.cpp).
# Each compositor runs in a private mount and network namespace, with its own /tmp, X sockets
# and session bus, so it never meets another X server on this machine; the compositors run side
# by side and report in turn. The script ends every process it starts. Needs root
# (for the namespace), a build in build/default (or PETALWING_BUILD), and the Debian packages
# kwin-wayland, xwayland, kde-spectacle and qtwayland5 (KWin on Wayland), kwin-x11 and xvfb
# (KWin on X11), gnome-shell and gnome-screenshot (GNOME on Wayland):
# `scripts/install-deps.sh test compositors gnome`. A compositor whose packages are missing is
# skipped. Pictures and logs go to build/compositors/NAME/.
# Exit code: 0 when every check held, 1 when one failed, 2 for a bad command line.
set -euo pipefail
cd "$(dirname "$0")/.."
build=$PWD/${PETALWING_BUILD:-build/default}
exe=$build/petalwing
probe=$build/tests/desktop_probe
# The ship starts at x = 600: the autopilot meets the boss after about 16 s of play instead of
# 45, and the whole game to the petals takes about 80 s.
route=600

# --- inside the namespace: one compositor, one game ------------------------------------------
if [ "${1:-}" = --inside ]; then
  compositor=$2
  out=$3
  # The report goes to descriptor 3; whatever the session's services print, to the log.
  say() { echo "$compositor: $*" >&3; }
  pids=() # the servers, ended last first
  probe_options=()
  game=""
  end() {
    kill -CONT "$1" 2>/dev/null || true
    kill "$1" 2>/dev/null || true
    wait "$1" 2>/dev/null || true
  }
  end_game() {
    [ -z "$game" ] || end "$game"
    game=""
  }
  cleanup() {
    end_game
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do end "${pids[i]}"; done
  }
  trap cleanup EXIT
  # Polls a condition every 100 ms until it holds, for up to $1 seconds.
  until_true() {
    local end=$((SECONDS + $1))
    shift
    until "$@" >/dev/null 2>&1; do
      [ "$SECONDS" -lt "$end" ] || return 1
      sleep 0.1
    done
  }
  viewable() { xwininfo -name "$1" | grep -q IsViewable; }

  case "$compositor" in
    kwin-wayland)
      # The packaged binary carries a file capability, with which it refuses to run as root;
      # a copy has none.
      cp "$(command -v kwin_wayland)" /tmp/kwin_wayland
      KWIN_SCREENSHOT_NO_PERMISSION_CHECKS=1 /tmp/kwin_wayland --virtual --xwayland \
        --width 1024 --height 768 -s wayland-petalwing >"$out/compositor.log" 2>&1 &
      pids+=($!)
      export DISPLAY=:0 WAYLAND_DISPLAY=wayland-petalwing
      until_true 30 test -S /tmp/.X11-unix/X0 || { say "no Xwayland"; exit 1; }
      shot() { QT_QPA_PLATFORM=wayland timeout 30 spectacle -b -n -f -o "$1" >/dev/null 2>&1; }
      ;;
    kwin-x11)
      Xvfb :1 -screen 0 1024x768x24 -nolisten tcp >"$out/xvfb.log" 2>&1 &
      pids+=($!)
      export DISPLAY=:1
      until_true 15 xdpyinfo || { say "no Xvfb"; exit 1; }
      # KWin asks the session bus to start its helpers, which need the display.
      dbus-update-activation-environment DISPLAY
      kwin_x11 >"$out/compositor.log" 2>&1 &
      pids+=($!)
      until_true 30 xprop -root _NET_SUPPORTING_WM_CHECK || { say "no KWin"; exit 1; }
      shot() { import -window root "$1"; }
      ;;
    gnome)
      # gnome-shell wants a system bus (a private one: nothing on this machine is asked), no
      # systemd session, and a session mode that does not open the overview when it starts.
      mkdir -p /tmp/system-bus /tmp/data/gnome-shell/modes /tmp/home
      cat >/tmp/system-bus/system.conf <<'CONF'
<busconfig>
  <type>system</type>
  <listen>unix:path=/tmp/system-bus/socket</listen>
  <policy context="default">
    <allow user="*"/> <allow own="*"/> <allow send_destination="*"/> <allow receive_sender="*"/>
  </policy>
</busconfig>
CONF
      dbus-daemon --config-file=/tmp/system-bus/system.conf --nofork >"$out/system-bus.log" 2>&1 &
      pids+=($!)
      until_true 10 test -S /tmp/system-bus/socket || { say "no system bus"; exit 1; }
      mount -t tmpfs tmpfs /run/systemd
      echo '{"parentMode": "user", "hasOverview": false}' >/tmp/data/gnome-shell/modes/petalwing.json
      export DBUS_SYSTEM_BUS_ADDRESS=unix:path=/tmp/system-bus/socket HOME=/tmp/home
      export XDG_DATA_DIRS=/tmp/data:/usr/local/share:/usr/share
      dbus-update-activation-environment DBUS_SYSTEM_BUS_ADDRESS HOME XDG_DATA_DIRS
      gnome-shell --headless --wayland --virtual-monitor 1024x768 --mode=petalwing \
        --wayland-display wayland-petalwing >"$out/compositor.log" 2>&1 &
      pids+=($!)
      export DISPLAY=:0 WAYLAND_DISPLAY=wayland-petalwing
      # Mutter's Xwayland asks for the key it writes beside its socket.
      mutter_key() { compgen -G "$XDG_RUNTIME_DIR/.mutter-Xwaylandauth.*"; }
      until_true 30 mutter_key || { say "no Xwayland"; exit 1; }
      XAUTHORITY=$(mutter_key | head -1)
      export XAUTHORITY
      until_true 15 xdpyinfo || { say "no Xwayland"; exit 1; }
      shot() { timeout 30 gnome-screenshot -f "$1" >/dev/null 2>&1; }
      # GNOME's top bar and its banner for a session as root.
      probe_options=(--top=128)
      ;;
  esac
  unset XDG_SESSION_TYPE
  export NO_AT_BRIDGE=1 # no accessibility bus for the game

  "$probe" backdrop >"$out/backdrop.log" 2>&1 &
  pids+=($!)
  until_true 15 grep -q ready "$out/backdrop.log" || { say "no backdrop"; exit 1; }

  # Takes screenshot $2 and checks it with the probe's remaining arguments, reported as stop $1.
  # The picture is still (the game is stopped, or on its title), so a loaded machine's
  # compositor gets a few tries to catch up; what a compositor gets wrong stays wrong.
  failed=0
  check() {
    local stop=$1 shot=$2 line="no screenshot" tries=4
    shift 2
    until shot "$shot" && line=$("$probe" "${probe_options[@]}" "$@"); do
      tries=$((tries - 1))
      if [ "$tries" -eq 0 ]; then
        failed=1
        break
      fi
      sleep 1
    done
    say "$stop: ${line#*: }"
  }

  # The virtual desktop's pictures of the same route: the title, and moments of play, the boss
  # fight, the staff roll and the petals (the scenery is checked against them; the later scenery
  # twice, since credits and petals cover some of it in each picture).
  "$exe" --headless --taskbar 0 --until 2000 --shot "1500:$out/virtual-title.png" >/dev/null
  references=("$out/virtual-title.png")
  shots=()
  for at in 8000:play 25000:boss 60000:staff 66000:staff2 88000:ending 95000:ending2; do
    shots+=(--shot "${at%:*}:$out/virtual-${at#*:}.png")
    references+=("$out/virtual-${at#*:}.png")
  done
  "$exe" --headless --taskbar 0 --autopilot --seed 1 --until 96000 "${shots[@]}" "$route" >/dev/null

  # The stripes everywhere before the game starts: the desktop is up.
  desktop_shown() {
    shot "$out/desktop.png" &&
      "$probe" "${probe_options[@]}" play "$out/desktop.png" /dev/null "${references[@]}"
  }
  until_true 30 desktop_shown || { say "the striped desktop never showed"; exit 1; }

  "$exe" --desktop x11 >"$out/game-title.log" 2>&1 &
  game=$!
  until_true 20 viewable frmSTAFF || { say "the title never showed"; exit 1; }
  sleep 1.5 # a few frames to paint and composite
  check title "$out/title.png" title "$out/title.png" "$out/virtual-title.png"
  end_game

  # One autopilot game to its ending, stopped where every kind of window shows: twice in play
  # (shots, enemies, debris), in the boss fight, in the staff roll and among the petals. The
  # stops follow the game's own trace, so a slow machine only makes the game last longer.
  trace=$out/game.trace
  "$exe" --desktop x11 --autopilot --trace "$trace" "$route" >"$out/game-play.log" 2>&1 &
  game=$!
  entered() { grep -q "\"phase\":\"$1\"" "$trace"; }
  for stop in play:6 play:12 boss:5 staff:15 ending:5; do
    phase=${stop%:*}
    until_true 180 entered "$phase" || { say "the game never reached the $phase"; exit 1; }
    [ "$phase" = "${last_phase:-}" ] || since=$SECONDS
    last_phase=$phase
    wait_s=$((since + ${stop#*:} - SECONDS))
    [ "$wait_s" -le 0 ] || sleep "$wait_s"
    kill -STOP "$game"
    sleep 0.3 # what the X server has reaches the compositor
    "$probe" silhouettes >"$out/$phase-${stop#*:}.txt"
    check "$phase +${stop#*:} s" "$out/$phase-${stop#*:}.png" play "$out/$phase-${stop#*:}.png" \
      "$out/$phase-${stop#*:}.txt" "${references[@]}"
    kill -CONT "$game"
  done
  end_game
  sleep 1
  : >"$out/ended.txt"
  check ended "$out/ended.png" play "$out/ended.png" "$out/ended.txt" "${references[@]}"
  exit "$failed"
fi

# --- outside: one namespace per compositor ---------------------------------------------------
compositors=("$@")
[ ${#compositors[@]} -gt 0 ] || compositors=(kwin-wayland kwin-x11 gnome)
for c in "${compositors[@]}"; do
  case "$c" in
    kwin-wayland | kwin-x11 | gnome) ;;
    *) echo "test-compositors: unknown compositor '$c' (kwin-wayland, kwin-x11, gnome)" >&2; exit 2 ;;
  esac
done
if [ "$(id -u)" -ne 0 ]; then
  echo "test-compositors: skipped, the namespaces need root"
  exit 0
fi
if [ ! -x "$exe" ] || [ ! -x "$probe" ]; then
  echo "test-compositors: build first (cmake --preset default && cmake --build --preset default)" >&2
  exit 2
fi

needs() {
  case "$1" in
    kwin-wayland) echo kwin_wayland Xwayland spectacle ;;
    kwin-x11) echo kwin_x11 Xvfb import ;;
    gnome) echo gnome-shell gnome-screenshot dbus-daemon ;;
  esac
  echo unshare dbus-run-session xwininfo xprop xdpyinfo
}

# One namespace for a compositor; its report goes to $out/report.
run_one() {
  local c=$1 out=$PWD/build/compositors/$1
  # A fresh /tmp (X sockets, XDG_RUNTIME_DIR) and loopback network: X servers inside are
  # invisible outside, whatever display number they take. A checkout that lies under /tmp
  # stays where it was: it is bound into the fresh /tmp before that goes in place.
  mkdir -p "$out/fresh-tmp"
  unshare --mount --net --propagation private bash -c '
    set -e
    fresh=$4/fresh-tmp
    mount -t tmpfs -o mode=1777 tmpfs "$fresh"
    case "$PWD" in
      /tmp/*) mkdir -p "$fresh${PWD#/tmp}" && mount --bind "$PWD" "$fresh${PWD#/tmp}" ;;
    esac
    mount --move "$fresh" /tmp
    cd "$PWD"
    mkdir -m 1777 /tmp/.X11-unix /tmp/.ICE-unix
    mkdir -m 700 /tmp/runtime
    ip link set lo up 2>/dev/null || true
    export XDG_RUNTIME_DIR=/tmp/runtime
    unset DISPLAY WAYLAND_DISPLAY
    exec dbus-run-session -- "$@"
  ' inner "$PWD/scripts/test-compositors.sh" --inside "$c" "$out" \
    3>"$out/report" >"$out/session.log" 2>&1 || { echo "$c: failed; its log: $out/session.log" >>"$out/report"; return 1; }
}

status=0
runs=()
for c in "${compositors[@]}"; do
  missing=""
  for tool in $(needs "$c"); do
    command -v "$tool" >/dev/null 2>&1 || missing+=" $tool"
  done
  if [ -n "$missing" ]; then
    echo "$c: skipped, missing:$missing"
    continue
  fi
  rm -rf "build/compositors/$c"
  mkdir -p "build/compositors/$c"
  run_one "$c" &
  runs+=("$c:$!")
done
for run in "${runs[@]}"; do
  c=${run%:*}
  wait "${run##*:}" || status=1
  cat "build/compositors/$c/report"
done
exit "$status"
