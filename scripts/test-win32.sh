#!/usr/bin/env bash
# The Windows program: installs what is missing, cross-builds the 32-bit petalwing.exe with the
# "win32" preset and checks it, then builds the same sources for 64-bit Windows and runs the
# tests and the smoke test under Wine on Xvfb. The tests use the 64-bit build because machines
# whose kernel runs no 32-bit code (CI's among them) cannot run 32-bit Wine.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh build test win32

cmake --preset win32 >/dev/null
cmake --build --preset win32 --target petalwing
exe=build/win32/petalwing.exe
file "$exe" | grep -q 'PE32 executable (GUI) Intel 80386' || { file "$exe"; exit 1; }
# Nothing beyond Windows' own DLLs.
dlls=$(i686-w64-mingw32-objdump -p "$exe" | sed -n 's/^\tDLL Name: //p' | tr 'A-Z' 'a-z' | sort)
unexpected=$(echo "$dlls" | grep -vxE 'kernel32.dll|user32.dll|gdi32.dll|winmm.dll|msvcrt.dll' || true)
[ -z "$unexpected" ] || { echo "petalwing.exe needs: $unexpected" >&2; exit 1; }
echo "$exe: PE32 GUI program for Intel 80386, uses $(echo $dlls)"

cmake --preset win64-tests >/dev/null
cmake --build --preset win64-tests

export WINEPREFIX="$PWD/build/win64-tests/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export WINELOADER=/usr/lib/wine/wine64 WINESERVER=/usr/lib/wine/wineserver64
export PETALWING_WINE=$WINELOADER
trap '"$WINESERVER" -k 2>/dev/null || true' EXIT
# One display for everything Wine starts: the prefix's first boot leaves programs running that
# later windows share.
# Wine's menu font has no Japanese: it borrows the glyphs of the IPA font the game's texts use.
xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    "$WINELOADER" wineboot -i >/dev/null 2>&1
    "$WINELOADER" reg add "HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink" \
      /v Tahoma /t REG_MULTI_SZ /d "ipagp.ttf,IPAPGothic" /f >/dev/null 2>&1
  fi
  ctest --preset win64-tests'
