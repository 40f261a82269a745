#!/usr/bin/env bash
# Petalwing as users install it. scripts/make-deb.sh builds the Debian package the Debian way
# (one Release build with Debian's hardening flags); the same build is then installed with
# `cmake --install` into a prefix, and the desktop's own validators check what lands there.
# The package's program is checked for its hardening, the packages by lintian. As root only,
# the package is installed with apt, the installed program plays a headless game, and the
# package is removed again.
set -euo pipefail
cd "$(dirname "$0")/.."

fail() {
  echo "test-package: $*" >&2
  exit 1
}
scripts/install-deps.sh build test package
build=build/deb
packages=$(scripts/make-deb.sh "$build")
dbgsym=$(head -1 <<<"$packages")
deb=$(tail -1 <<<"$packages")
version=$(dpkg-parsechangelog -S Version)
obj=$build/petalwing-$version/obj-$(dpkg-architecture -q DEB_HOST_GNU_TYPE)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The install tree, under the directories the package build chose (the program in games/).
prefix=$work/prefix
cmake --install "$obj" --prefix "$prefix" >/dev/null
id=org.petalwing.Petalwing
[ "$("$prefix/games/petalwing" --version)" = "petalwing $version" ] || fail "--version"
for f in "share/applications/$id.desktop" "share/metainfo/$id.metainfo.xml" \
  share/man/man6/petalwing.6.gz share/doc/petalwing/README.md share/doc/petalwing/NEWS.md \
  share/doc/petalwing/LICENSE; do
  [ -s "$prefix/$f" ] || fail "the install tree lacks $f"
done
# Every picture the README shows is installed beside it.
for picture in $(grep -o '](docs/[^)]*\.\(png\|gif\))' README.md | tr -d '()]'); do
  [ -s "$prefix/share/doc/petalwing/$picture" ] || fail "the README's $picture is not installed"
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
# No address that does not exist: without a home page configured, the metadata names none.
metainfo=$prefix/share/metainfo/$id.metainfo.xml
out=$(appstreamcli validate --no-net --pedantic "$metainfo" 2>&1) || fail "appstreamcli: $out"
! grep -q 'https\?://' "$metainfo" "$prefix/share/applications/$id.desktop" ||
  fail "the desktop files name an address: $(grep -ho 'https\?://[^<"]*' "$metainfo")"
# The man page: warnings of its own, every option --help names, and the README's path.
man=$prefix/share/man/man6/petalwing.6.gz
out=$(LC_ALL=C.UTF-8 man --warnings -l "$man" 2>&1 >/dev/null)
[ -z "$out" ] || fail "man: $out"
page=$(LC_ALL=C.UTF-8 MANWIDTH=200 man -l "$man" 2>/dev/null)
for option in $("$prefix/games/petalwing" --help | grep -o -- '^  --[a-z-]*'); do
  grep -q -- "^ *$option\b" <<<"$page" || fail "the man page lacks $option"
done
grep -q "/usr/share/doc/petalwing/README.md.gz" <<<"$page" || fail "SEE ALSO names no README"
echo "test-package: install tree checked (desktop entry, AppStream, icons, man page)"

# The packages.
[ "$(basename "$deb")" = "petalwing_${version}_amd64.deb" ] || fail "made $deb"
[ -s "$dbgsym" ] || fail "no debug symbols package $dbgsym"
# Pedantic lintian: information tags are shown, any error, warning or pedantic tag fails.
tags=$(lintian --pedantic --display-info "$deb" "$dbgsym" 2>/dev/null) || fail "lintian: $tags"
! grep -q '^[EWP]:' <<<"$tags" || fail "lintian: $tags"
depends=$(dpkg-deb -f "$deb" Depends)
for lib in libc6 libcairo2 libgtk-3-0 libpixman-1-0; do
  grep -q "$lib" <<<"$depends" || fail "the package does not depend on $lib: $depends"
done
dpkg-deb -f "$deb" Recommends | grep -q fonts-ipafont-gothic || fail "no fonts recommended"
root=$work/root
dpkg-deb -x "$deb" "$root"
doc=$root/usr/share/doc/petalwing
for f in README.md.gz NEWS.md.gz changelog.gz copyright docs/screenshot.png docs/play.gif; do
  [ -s "$doc/$f" ] || fail "the package lacks $doc/$f"
done
# Debian's hardening: immediate binding, a position-independent program, the stack protector
# and fortified library calls.
program=$root/usr/games/petalwing
readelf -d "$program" | grep -q 'FLAGS.*BIND_NOW' || fail "the program is not bound now"
readelf -h "$program" | grep -q 'Type:.*DYN' || fail "the program is not position-independent"
symbols=$(nm -D "$program")
grep -q ' __stack_chk_fail' <<<"$symbols" || fail "the program has no stack protector"
grep -q ' __[a-z]*_chk@' <<<"$symbols" || fail "the program calls no fortified functions"
buildid=$(readelf -n "$program" | sed -n 's/.*Build ID: //p')
grep -q "/usr/lib/debug/.build-id/${buildid:0:2}/${buildid:2}.debug" <<<"$(dpkg-deb -c "$dbgsym")" ||
  fail "$dbgsym holds no symbols for build ID $buildid"
echo "test-package: $deb and its debug symbols checked (hardening, lintian${tags:+: $tags})"

if [ "$(id -u)" -ne 0 ]; then
  echo "test-package: installing the package needs root; skipped"
  exit 0
fi
if dpkg-query -W -f='${Status}' petalwing 2>/dev/null | grep -q 'ok installed'; then
  echo "test-package: petalwing is installed on this machine; left alone, not reinstalled"
  exit 0
fi
export DEBIAN_FRONTEND=noninteractive
trap 'apt-get purge -y -qq petalwing >/dev/null 2>&1 || true; rm -rf "$work"' EXIT
apt-get install -y -qq "./$deb" >/dev/null 2>&1 || fail "apt-get could not install $deb"
installed=$(dpkg -L petalwing | grep '/petalwing$' | grep -v /doc/ || true)
[ "$installed" = /usr/games/petalwing ] || fail "installed as $installed"
[ "$(/usr/games/petalwing --version)" = "petalwing $version" ] || fail "installed --version"
/usr/games/petalwing --headless --autopilot --seed 1 --until 120000 --trace "$work/trace.jsonl" ||
  fail "the installed program's game failed"
grep -q '"phase":"ending"' "$work/trace.jsonl" || fail "the installed program's game never ended"
apt-get purge -y -qq petalwing >/dev/null 2>&1 || fail "apt-get could not remove petalwing"
dpkg-query -W -f='${Status}' petalwing 2>/dev/null | grep -q 'ok installed' && fail "still installed"
for f in /usr/games/petalwing "/usr/share/applications/$id.desktop" /usr/share/doc/petalwing; do
  [ ! -e "$f" ] || fail "$f was left behind"
done
echo "test-package: installed with apt, played a headless game from /usr/games, removed"
