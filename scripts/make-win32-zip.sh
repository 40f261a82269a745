#!/usr/bin/env bash
# Makes the Windows package build/win32/packages/petalwing-<version>-win32.zip: the 32-bit
# petalwing.exe with its README and licence, packed by CPack from the "win32" preset's build.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh build win32
cmake --preset win32 >/dev/null
cmake --build --preset win32
(cd build/win32 && cpack -G ZIP >/dev/null)
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/win32/CMakeCache.txt)
echo "build/win32/packages/petalwing-${version}-win32.zip"
