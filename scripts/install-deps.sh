#!/usr/bin/env bash
# Installs the Debian packages Petalwing needs that are not installed yet.
#   scripts/install-deps.sh [build] [test] [win32] [package] [compositors] [gnome]
# "build" is always included. Runs apt-get as root (or through sudo).
set -euo pipefail
cd "$(dirname "$0")/.."

build=(cmake ninja-build g++ pkg-config libgtest-dev libgmock-dev libbenchmark-dev
       libpixman-1-dev libcairo2-dev libpango1.0-dev libgtk-3-dev libgtk-layer-shell-dev
       libxi-dev libxext-dev
       fonts-ipafont-gothic fonts-ipafont-mincho help2man)
# The desktop tests also play under the window managers, panels, compositors and Wayland
# servers that users run (each test skips where its package is missing).
test=(xvfb xauth xdotool imagemagick x11-utils x11-xserver-utils openbox tint2 picom xcompmgr
      weston xwayland sway grim wtype xtrace kwin-wayland kde-spectacle qtwayland5 dbus-daemon)
# The 32-bit program is built with mingw-w64 i686 and tested under 32-bit Wine. Where the
# kernel runs no 32-bit code, its tests run as a 64-bit build under 64-bit Wine instead.
win32=(g++-mingw-w64-i686-posix wine file unzip)
win32_on_32bit=(wine32:i386)
win32_on_64bit_only=(g++-mingw-w64-x86-64-posix wine64)
# Making and checking the Debian package and the install tree.
package=(dpkg-dev debhelper file lintian desktop-file-utils appstream man-db)
# KWin on Wayland (with Xwayland and its screenshot tool) and on X11, for test-compositors.sh.
compositors=(kwin-wayland xwayland kde-spectacle qtwayland5 kwin-x11 dbus-daemon dbus-bin)
gnome=(gnome-shell gnome-screenshot xwayland dbus-daemon dbus-bin)

as_root=()
[ "$(id -u)" -eq 0 ] || as_root=(sudo)
install_missing() {
  local missing=() pkg
  for pkg in "$@"; do
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' || missing+=("$pkg")
  done
  [ ${#missing[@]} -eq 0 ] && return
  echo "Installing: ${missing[*]}"
  if printf '%s\n' "${missing[@]}" | grep -q ':i386$'; then
    dpkg --print-foreign-architectures | grep -qx i386 || "${as_root[@]}" dpkg --add-architecture i386
  fi
  export DEBIAN_FRONTEND=noninteractive
  "${as_root[@]}" apt-get update -qq
  "${as_root[@]}" apt-get install -y -qq "${missing[@]}"
}

wanted=("${build[@]}")
with_win32=
for group in "$@"; do
  case "$group" in
    build) ;;
    test) wanted+=("${test[@]}") ;;
    win32) wanted+=("${win32[@]}") with_win32=1 ;;
    package) wanted+=("${package[@]}") ;;
    compositors) wanted+=("${compositors[@]}") ;;
    gnome) wanted+=("${gnome[@]}") ;;
    *) echo "install-deps: unknown group '$group'" \
         "(build, test, win32, package, compositors, gnome)" >&2
       exit 2 ;;
  esac
done
install_missing "${wanted[@]}"
# The probe needs the assembler that came with the build group.
if [ -n "$with_win32" ]; then
  if scripts/runs-32bit.sh; then
    install_missing "${win32_on_32bit[@]}"
  else
    install_missing "${win32_on_64bit_only[@]}"
  fi
fi
