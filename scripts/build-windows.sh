#!/bin/sh
# Cross-builds the Windows programs with MinGW-w64 and makes the installer
# (build-windows/tavo-VERSION-win64-setup.exe) and the portable ZIP
# (build-windows/tavo-VERSION-win64.zip). Needs ../shared/windows beside the
# repository (Qt and zlib built for Windows). With --tests the test
# programs are built too, to be run under Wine (scripts/test-windows.sh).
set -eu
cd "$(dirname "$0")/.."
tests=OFF
[ "${1:-}" = "--tests" ] && tests=ON
sh scripts/install-deps.sh
launcher=""
command -v ccache >/dev/null && launcher="-DCMAKE_CXX_COMPILER_LAUNCHER=ccache"
cmake --preset windows-mingw -DTAVO_BUILD_TESTS=$tests $launcher >/dev/null
cmake --build --preset windows-mingw -j "$(nproc 2>/dev/null || echo 2)"
rm -f build-windows/tavo-*-win64*.exe build-windows/tavo-*-win64*.zip
cpack --preset windows-mingw >/dev/null
ls build-windows/tavo-*-win64-setup.exe build-windows/tavo-*-win64.zip
