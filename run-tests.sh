#!/bin/sh
# Builds every tree and runs every test: Linux natively, the core as 32-bit x86,
# the core under the sanitizers and its fuzz targets for a bounded time, the
# Windows x64 build under Wine, and the Windows x86 build (the product) with its
# module checks.
set -e
cd "$(dirname "$0")"
. scripts/packages.sh
scripts/ensure-packages.sh $TL_BUILD_PACKAGES $TL_X86_PACKAGES $TL_SANITIZER_PACKAGES $TL_WINDOWS_PACKAGES

cmake --preset native -DTL_WERROR=ON >/dev/null
cmake --build --preset native
ctest --preset native -j2 --timeout 900

cmake --preset native-x86 -DTL_WERROR=ON >/dev/null
cmake --build --preset native-x86
ctest --preset native-x86 -j2 --timeout 900

scripts/run-sanitizers.sh all
scripts/run-fuzzers.sh "${TL_FUZZ_SECONDS:-60}"

cmake --preset mingw-x64 -DTL_WERROR=ON >/dev/null
cmake --build --preset mingw-x64
ctest --preset mingw-x64 -L wine --timeout 900

cmake --preset mingw-x86 -DTL_WERROR=ON -DTL_BUILD_TESTS=OFF >/dev/null
cmake --build --preset mingw-x86
sh tests/filter/check_module_pe.sh i686-w64-mingw32-objdump build/mingw-x86/bin/tlVideoDecoder.ax
echo "All tests passed."
