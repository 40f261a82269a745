#!/usr/bin/env bash
# Makes the Debian package BUILD-DIR/packages/petalwing_<version>_amd64.deb: a Release build
# installed under /usr with the program in /usr/games, as Debian keeps games, packed by CPack,
# which computes the run-time dependencies with dpkg-shlibdeps.
#   scripts/make-deb.sh [BUILD-DIR]     default build/deb
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/deb}

scripts/install-deps.sh build package
cmake -B "$build" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
  -DCMAKE_INSTALL_BINDIR=games -DPETALWING_TESTS=OFF -DPETALWING_BENCH=OFF >/dev/null
cmake --build "$build" --parallel 2
(cd "$build" && cpack -G DEB >/dev/null)
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
echo "$build/packages/petalwing_${version}_amd64.deb"
