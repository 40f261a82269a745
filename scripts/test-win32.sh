#!/usr/bin/env bash
# The Windows program: installs what is missing, cross-builds the 32-bit petalwing.exe and its
# tests with the "win32" preset, checks the program's imports and resources and the zip made
# from it, then runs the tests and the smoke test of the program itself under 32-bit Wine on
# Xvfb. Where the kernel runs no 32-bit code (some virtual machines), they run on a 64-bit
# build of the same sources (preset "win64-tests") under 64-bit Wine instead, and say so.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh build test win32

zip=$(scripts/make-win32-zip.sh | tail -1)
exe=build/win32/petalwing.exe
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/win32/CMakeCache.txt)
fail() {
  echo "test-win32: $*" >&2
  exit 1
}

file "$exe" | grep -q 'PE32 executable (GUI) Intel 80386' || fail "$(file "$exe")"
# Nothing beyond Windows' own DLLs.
dlls=$(i686-w64-mingw32-objdump -p "$exe" | sed -n 's/^\tDLL Name: //p' | tr 'A-Z' 'a-z' | sort)
unexpected=$(echo "$dlls" | grep -vxE 'kernel32.dll|user32.dll|gdi32.dll|winmm.dll|msvcrt.dll' || true)
[ -z "$unexpected" ] || fail "petalwing.exe needs: $unexpected"
# Its version and its manifest: common controls 6, and scaled by Windows on HiDPI screens.
resources=$(i686-w64-mingw32-windres -J coff -i "$exe" -O rc)
for want in "VALUE \"FileVersion\", \"$version\"" "VALUE \"ProductVersion\", \"$version\"" \
  'RT_MANIFEST' 'Microsoft.Windows.Common-Controls' 'dpiAware.*>false<' 'dpiAwareness.*>unaware<'; do
  grep -q "$want" <<<"$resources" || fail "petalwing.exe's resources lack $want"
done
# The zip: the program, its README and licence in one folder.
listing=$(unzip -Z1 "$zip" | sort | tr '\n' ' ')
want="petalwing-$version-win32/LICENSE.txt petalwing-$version-win32/README.txt petalwing-$version-win32/petalwing.exe "
[ "$listing" = "$want" ] || fail "$zip holds: $listing"
unzip -p "$zip" "petalwing-$version-win32/petalwing.exe" | cmp -s - "$exe" ||
  fail "$zip holds another petalwing.exe"
echo "$exe: PE32 GUI program for Intel 80386, uses $(echo $dlls); $zip"

if scripts/runs-32bit.sh; then
  preset=win32
  export WINEARCH=win32
else
  echo "test-win32: this kernel runs no 32-bit code; the Windows tests run on the 64-bit build"
  preset=win64-tests
  cmake --preset win64-tests >/dev/null
  cmake --build --preset win64-tests
  export WINELOADER=/usr/lib/wine/wine64 WINESERVER=/usr/lib/wine/wineserver64
  export PETALWING_WINE=$WINELOADER
fi
export WINEPREFIX="$PWD/build/$preset/wineprefix" WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
trap '"${WINESERVER:-wineserver}" -k 2>/dev/null || true' EXIT
# One display for everything Wine starts: the prefix's first boot leaves programs running that
# later windows share.
# Wine's menu font has no Japanese: it borrows the glyphs of the IPA font the game's texts use.
xvfb-run -a -n 140 -s "-screen 0 1024x768x24" bash -c '
  wine=${WINELOADER:-wine}
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    "$wine" wineboot -i >/dev/null 2>&1
    "$wine" reg add "HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink" \
      /v Tahoma /t REG_MULTI_SZ /d "ipagp.ttf,IPAPGothic" /f >/dev/null 2>&1
  fi
  ctest --preset '"$preset"
