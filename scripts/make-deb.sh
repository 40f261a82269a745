#!/usr/bin/env bash
# Makes the Debian packages the Debian way, from debian/ with debhelper: the sources are copied
# to BUILD-DIR/petalwing-<version> and built there by dpkg-buildpackage (Debian's hardening
# flags, the program in /usr/games), so the checkout stays clean. The packages land in
# BUILD-DIR: petalwing_<version>_<arch>.deb and its debug symbols,
# petalwing-dbgsym_<version>_<arch>.deb. Prints their paths, the program's package last.
#   scripts/make-deb.sh [BUILD-DIR]     default build/deb
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/deb}

scripts/install-deps.sh build package
version=$(dpkg-parsechangelog -S Version)
arch=$(dpkg-architecture -q DEB_HOST_ARCH)
tree=$build/petalwing-$version
rm -rf "$tree" "$build"/petalwing*_"$version"_"$arch".*
mkdir -p "$tree"
# The files of the checkout (committed or not, but not ignored ones such as build/; a tracked
# file deleted in the checkout is left out with a warning).
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  git ls-files -z --cached --others --exclude-standard |
    tar --null -T - --ignore-failed-read -cf - | tar -xf - -C "$tree"
else
  tar --exclude=./build --exclude=./.git -cf - . | tar -xf - -C "$tree"
fi
(cd "$tree" && dpkg-buildpackage -us -uc -b -jauto >../dpkg-buildpackage.log 2>&1) || {
  tail -40 "$build/dpkg-buildpackage.log" >&2
  echo "make-deb: dpkg-buildpackage failed; the whole log is $build/dpkg-buildpackage.log" >&2
  exit 1
}
echo "$build/petalwing-dbgsym_${version}_${arch}.deb"
echo "$build/petalwing_${version}_${arch}.deb"
