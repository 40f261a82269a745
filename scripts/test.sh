#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test.
#   scripts/test.sh              the normal build
#   scripts/test.sh --sanitize   the same tests under AddressSanitizer + UBSan
set -euo pipefail
cd "$(dirname "$0")/.."

preset=default
[ "${1:-}" = "--sanitize" ] && preset=asan

scripts/install-deps.sh build test
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset"
ctest --preset "$preset" -j2

# The program built as a Release (-O3, where GCC warns as it does not at -O2), warnings as
# errors. The Windows program: cross-built, and its tests and smoke test run under 32-bit Wine.
# Then the release as users install it: the install tree and the Debian package.
if [ "$preset" = default ]; then
  cmake --preset release >/dev/null
  cmake --build --preset release
  scripts/test-win32.sh
  scripts/test-package.sh
fi

# A whole game under GNOME on Wayland and KWin on Wayland and on X11, side by side, each in a
# namespace of its own (root only).
if [ "$preset" = default ] && [ "$(id -u)" -eq 0 ]; then
  scripts/install-deps.sh compositors gnome
  scripts/test-compositors.sh
fi
