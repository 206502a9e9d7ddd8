#!/bin/sh
# Builds every tree and runs every test: Linux natively, the Windows x64 build
# under Wine, and a link check of the Windows x86 build (the product).
set -e
cd "$(dirname "$0")"
. scripts/packages.sh
scripts/ensure-packages.sh $TL_BUILD_PACKAGES $TL_WINDOWS_PACKAGES

cmake --preset native -DTL_WERROR=ON >/dev/null
cmake --build --preset native
ctest --preset native -j2 --timeout 900

cmake --preset mingw-x64 -DTL_WERROR=ON >/dev/null
cmake --build --preset mingw-x64
ctest --preset mingw-x64 -L wine --timeout 900

cmake --preset mingw-x86 -DTL_WERROR=ON -DTL_BUILD_TESTS=OFF >/dev/null
cmake --build --preset mingw-x86
echo "All tests passed."
