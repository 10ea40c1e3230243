#!/bin/sh
# Checks the Windows installer under Wine, in a fresh prefix and under an
# X server (xvfb-run): a silent install for the current user; the installed
# tavo-extract.exe, with only what the package brought, writes byte for byte
# what the Linux build writes for examples/ (code page 932 and --utf8); the
# installed tavo.exe shows its window (a screenshot is left in
# build-windows/wine-window.png); the uninstaller leaves nothing behind.
set -eu
cd "$(dirname "$0")/.."
repo=$(pwd)
export WINEPREFIX="$repo/build-windows/wine-package"
. scripts/wine-env.sh
unset WINEPATH WINEQT_QPA_PLATFORM
fail() { echo "windows package check: $*" >&2; exit 1; }
# Checks after the install go on when one fails, so that one run shows all.
problems=0
problem() {
    echo "windows package check: $*" >&2
    problems=$((problems + 1))
}
setup=$(ls build-windows/tavo-*-win64-setup.exe)
[ -x build/bin/tavo-extract ] || fail "build/bin/tavo-extract missing: run the Linux build first"
rm -rf "$WINEPREFIX"
trap '"$wineserver" -k 2>/dev/null || true' EXIT INT TERM
"$wine" wineboot -i >/dev/null 2>&1
"$wineserver" -w

# Wine and Windows keep their own files in these; the rest must come back as it was.
snapshot() {
    (cd "$WINEPREFIX/drive_c" && find . -path '*/Temp' -prune -o -path ./windows -prune -o -print | sort)
}
snapshot >build-windows/wine-before.txt

"$wine" "$setup" /S
"$wineserver" -w
installed=$(find "$WINEPREFIX/drive_c/users" -path '*/AppData/Local/Programs/Tavo' -type d)
[ -n "$installed" ] || fail "nothing installed under AppData/Local/Programs/Tavo"
for file in tavo.exe tavo-extract.exe uninstall.exe Qt6Core.dll Qt6Widgets.dll Qt6PrintSupport.dll \
    platforms/qwindows.dll platforms/qoffscreen.dll translations/qtbase_ja.qm libstdc++-6.dll; do
    [ -f "$installed/$file" ] || fail "not installed: $file"
done
find "$WINEPREFIX/drive_c/users" -name 'Tavo表題.lnk' | grep -q . || fail "no Start-menu entry Tavo表題"

# The same rows as the Linux build, from the same drawings.
xy=$(cat examples/positions.txt)
out=build-windows/wine-extract
rm -rf "$out" && mkdir -p "$out"
for encoding in cp932 utf8; do
    flag=""
    [ "$encoding" = utf8 ] && flag=--utf8
    XDG_CONFIG_HOME="$out" build/bin/tavo-extract --xy "$xy" $flag -o "$out/linux-$encoding.txt" examples/*.mi
    "$wine" "$installed/tavo-extract.exe" --xy "$xy" $flag -o "$out/windows-$encoding.txt" examples/*.mi ||
        problem "tavo-extract.exe $flag -o ended with status $?"
    "$wine" "$installed/tavo-extract.exe" --xy "$xy" $flag examples/*.mi >"$out/windows-$encoding-stdout.txt" ||
        problem "tavo-extract.exe $flag (standard output) ended with status $?"
    cmp "$out/linux-$encoding.txt" "$out/windows-$encoding.txt" || problem "-o $encoding differs from Linux"
    cmp "$out/linux-$encoding.txt" "$out/windows-$encoding-stdout.txt" ||
        problem "standard output $encoding differs from Linux"
done

# A list of 3,000 awkward rows (half-width kana, NEC and IBM extensions,
# quotes, commas) read and saved again: the same bytes from both builds.
awkward=tests/data/awkward-3000.txt
XDG_CONFIG_HOME="$out" build/bin/tavo-extract --xy "$xy" --list "$awkward" -o "$out/linux-awkward.txt"
"$wine" "$installed/tavo-extract.exe" --xy "$xy" --list "$awkward" -o "$out/windows-awkward.txt" ||
    problem "tavo-extract.exe --list ended with status $?"
cmp "$out/linux-awkward.txt" "$out/windows-awkward.txt" || problem "3,000 awkward rows differ from Linux"

# The window: started from the installed folder, it must show itself.
"$wine" "$installed/tavo.exe" &
tavo=$!
shown=""
for _ in $(seq 60); do
    sleep 1
    if xwininfo -root -tree | grep -q 'Tavo'; then
        shown=yes
        break
    fi
    kill -0 "$tavo" 2>/dev/null || break
done
sleep 2
import -window root build-windows/wine-window.png 2>/dev/null || true
# Closed as a user closes it (WM_CLOSE), so that it takes away what it made.
"$wine" taskkill /im tavo.exe >/dev/null 2>&1 || true
for _ in $(seq 20); do
    kill -0 "$tavo" 2>/dev/null || break
    sleep 1
done
if kill -0 "$tavo" 2>/dev/null; then
    problem "tavo.exe did not close when asked to"
    kill "$tavo" 2>/dev/null || true
fi
wait "$tavo" 2>/dev/null || true
"$wineserver" -w
[ -n "$shown" ] || problem "tavo.exe showed no window"

# The uninstaller runs from a copy of itself: wait for every process.
"$wine" "$installed/uninstall.exe" /S
"$wineserver" -w
snapshot >build-windows/wine-after.txt
diff build-windows/wine-before.txt build-windows/wine-after.txt || problem "the uninstaller left the lines above"
if "$wine" reg query 'HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Tavo' >/dev/null 2>&1; then
    problem "the uninstaller left its registry key"
fi
[ "$problems" -eq 0 ] || fail "$problems problem(s) with $(basename "$setup")"
echo "windows package check: $(basename "$setup") ok"
