#!/bin/sh
# Builds the Debian package from an existing build folder and checks it:
# its control fields, its contents, and that the programs start from an
# unpacked copy of it. Usage: check-package.sh [build-folder]
set -eu
build=${1:-build}
out="$build/package"
rm -rf "$out"
cpack --config "$build/CPackConfig.cmake" -G DEB -B "$out" >/dev/null
deb=$(ls "$out"/tavo_*.deb)
info=$(dpkg-deb --info "$deb")
contents=$(dpkg-deb --contents "$deb")
fail() { echo "package check: $*" >&2; exit 1; }
for field in "Package: tavo" "Depends:.*libqt6widgets6" "Depends:.*qt6-qpa-plugins" "Section: graphics"; do
    echo "$info" | grep -q "$field" || fail "control field missing: $field"
done
for path in ./usr/bin/tavo ./usr/bin/tavo-extract ./usr/share/applications/tavo.desktop \
    ./usr/share/icons/hicolor/32x32/apps/tavo.png ./usr/share/icons/hicolor/scalable/apps/tavo.svg \
    ./usr/share/tavo/translations/qtbase_ja.qm; do
    echo "$contents" | grep -q " $path\$" || fail "file missing: $path"
done
if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate data/tavo.desktop || fail "desktop entry does not validate"
fi
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg -x "$deb" "$root"
"$root/usr/bin/tavo-extract" --version >/dev/null || fail "tavo-extract from the package does not run"
# The window program must come up and keep running (ended by timeout).
status=0
XDG_RUNTIME_DIR="$root" XDG_CONFIG_HOME="$root" QT_QPA_PLATFORM=offscreen timeout 3 "$root/usr/bin/tavo" || status=$?
[ "$status" -eq 124 ] || fail "tavo from the package ended with status $status"
echo "package check: $(basename "$deb") ok"
