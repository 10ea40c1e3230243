#!/bin/sh
# The Windows checks, run from Linux: cross-builds the programs, their tests
# and the packages; runs the whole test suite under Wine set up as a Japanese
# Windows (code page 932); then installs the package under Wine and checks it
# (scripts/check-windows-package.sh).
# TAVO_WINE_GATE=gate (the default) fails the run when a test fails under
# Wine; TAVO_WINE_GATE=report lists the failures and goes on.
set -eu
cd "$(dirname "$0")/.."
repo=$(pwd)
gate=${TAVO_WINE_GATE:-gate}
sh scripts/build-windows.sh --tests

export WINEPREFIX="$repo/build-windows/wine-tests"
. scripts/wine-env.sh
export WINEQT_QPA_PLATFORM=offscreen
export WINEPATH="$(winpath "$toolchain/x86_64-w64-mingw32/bin");$(winpath /usr/lib/gcc/x86_64-w64-mingw32/12-posix);$(winpath /usr/x86_64-w64-mingw32/lib)"
rm -rf "$WINEPREFIX"
# One server for the whole run instead of one per test program; ended
# however the run ends.
trap '"$wineserver" -k 2>/dev/null || true' EXIT INT TERM
mkdir -p "$WINEPREFIX"
"$wineserver" -p
"$wine" wineboot -i >/dev/null 2>&1

log=build-windows/wine-ctest.log
status=0
# One test program at a time: under Wine they share one registry. Bounded
# as a whole so that hanging tests cannot hold up CI.
timeout "${TAVO_WINE_CTEST_MINUTES:-20}m" \
    ctest --test-dir build-windows -V >"$log" 2>&1 || status=$?
"$wineserver" -k 2>/dev/null || true
trap - EXIT INT TERM

# What Qt Test skipped under Windows, each with its reason, then the totals.
grep -E '^[0-9]+: SKIP ' "$log" | sed 's/^[0-9]*: /wine: /' || true
sed -n '/tests passed/,$p' "$log"
if [ "$status" -ne 0 ]; then
    [ "$status" -eq 124 ] && echo "wine: the test run took longer than ${TAVO_WINE_CTEST_MINUTES:-20} minutes" >&2
    echo "wine: tests failed under Wine (log: $log)" >&2
    [ "$gate" = "gate" ] && exit 1
fi

xvfb-run -a -s "-screen 0 1280x1024x24" sh scripts/check-windows-package.sh
