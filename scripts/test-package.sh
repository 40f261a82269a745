#!/usr/bin/env bash
# Petalwing as users install it. A plain Release build (the compiler's own flags, warnings not
# errors) is installed with `cmake --install` into a prefix, and the desktop's own validators
# check what lands there. The same build then makes the Debian package, which lintian checks;
# as root only, the package is installed with apt, the installed program plays a headless
# game, and the package is removed again.
set -euo pipefail
cd "$(dirname "$0")/.."

fail() {
  echo "test-package: $*" >&2
  exit 1
}
build=build/release
scripts/install-deps.sh build test package
cmake -B "$build" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr/local \
  -DCMAKE_INSTALL_BINDIR=bin -DPETALWING_TESTS=OFF -DPETALWING_BENCH=OFF >/dev/null
cmake --build "$build" --parallel 2
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")

# The install tree.
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null
id=org.petalwing.Petalwing
[ "$("$prefix/bin/petalwing" --version)" = "petalwing $version" ] || fail "--version"
for f in "share/applications/$id.desktop" "share/metainfo/$id.metainfo.xml" \
  share/man/man6/petalwing.6.gz share/doc/petalwing/README.md share/doc/petalwing/LICENSE; do
  [ -s "$prefix/$f" ] || fail "the install tree lacks $f"
done
for size in 16 24 32 48 64 128 256; do
  icon=$prefix/share/icons/hicolor/${size}x${size}/apps/$id.png
  [ "$(identify -format '%wx%h' "$icon")" = "${size}x${size}" ] || fail "no ${size}px icon"
done
# Nearest-neighbour: the 256-pixel icon is the art's 8x8 blocks, no blended colours.
[ "$(convert "$prefix/share/icons/hicolor/256x256/apps/$id.png" -sample 32x32 -scale 256x256 \
  - | compare -metric AE - "$prefix/share/icons/hicolor/256x256/apps/$id.png" null: 2>&1)" = 0 ] ||
  fail "the 256px icon is not the pixel art scaled 8 times"
out=$(desktop-file-validate "$prefix/share/applications/$id.desktop" 2>&1) &&
  [ -z "$out" ] || fail "desktop-file-validate: $out"
appstreamcli validate --no-net "$prefix/share/metainfo/$id.metainfo.xml" >/dev/null ||
  fail "appstreamcli: $(appstreamcli validate --no-net "$prefix/share/metainfo/$id.metainfo.xml")"
# The man page: warnings of its own, and every option --help names.
out=$(LC_ALL=C.UTF-8 man --warnings -l "$prefix/share/man/man6/petalwing.6.gz" 2>&1 >/dev/null)
[ -z "$out" ] || fail "man: $out"
page=$(LC_ALL=C.UTF-8 MANWIDTH=200 man -l "$prefix/share/man/man6/petalwing.6.gz" 2>/dev/null)
for option in $("$prefix/bin/petalwing" --help | grep -o -- '^  --[a-z-]*'); do
  grep -q -- "^ *$option\b" <<<"$page" || fail "the man page lacks $option"
done
echo "test-package: install tree checked (desktop entry, AppStream, icons, man page)"

# The package.
deb=$(scripts/make-deb.sh "$build" | tail -1)
[ "$(basename "$deb")" = "petalwing_${version}_amd64.deb" ] || fail "made $deb"
lintian --fail-on error "$deb" 2>/dev/null || fail "lintian: $(lintian "$deb" 2>&1)"
depends=$(dpkg-deb -f "$deb" Depends)
for lib in libc6 libcairo2 libgtk-3-0 libpixman-1-0; do
  grep -q "$lib" <<<"$depends" || fail "the package does not depend on $lib: $depends"
done
dpkg-deb -f "$deb" Recommends | grep -q fonts-ipafont-gothic || fail "no fonts recommended"
echo "test-package: $deb checked by lintian"

if [ "$(id -u)" -ne 0 ]; then
  echo "test-package: installing the package needs root; skipped"
  exit 0
fi
if dpkg-query -W -f='${Status}' petalwing 2>/dev/null | grep -q 'ok installed'; then
  echo "test-package: petalwing is installed on this machine; left alone, not reinstalled"
  exit 0
fi
export DEBIAN_FRONTEND=noninteractive
trap 'apt-get purge -y -qq petalwing >/dev/null 2>&1 || true; rm -rf "$prefix"' EXIT
apt-get install -y -qq "./$deb" >/dev/null 2>&1 || fail "apt-get could not install $deb"
installed=$(dpkg -L petalwing | grep '/petalwing$' | grep -v /doc/ || true)
[ "$installed" = /usr/games/petalwing ] || fail "installed as $installed"
[ "$(/usr/games/petalwing --version)" = "petalwing $version" ] || fail "installed --version"
/usr/games/petalwing --headless --autopilot --seed 1 --until 120000 --trace "$prefix/trace.jsonl" ||
  fail "the installed program's game failed"
grep -q '"phase":"ending"' "$prefix/trace.jsonl" || fail "the installed program's game never ended"
apt-get purge -y -qq petalwing >/dev/null 2>&1 || fail "apt-get could not remove petalwing"
dpkg-query -W -f='${Status}' petalwing 2>/dev/null | grep -q 'ok installed' && fail "still installed"
for f in /usr/games/petalwing "/usr/share/applications/$id.desktop" /usr/share/doc/petalwing; do
  [ ! -e "$f" ] || fail "$f was left behind"
done
echo "test-package: installed with apt, played a headless game from /usr/games, removed"
