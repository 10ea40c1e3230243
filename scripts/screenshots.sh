#!/bin/sh
# Regenerates the README's pictures from the real windows under a virtual
# display. Usage: sh scripts/screenshots.sh [build-folder]
set -eu
cd "$(dirname "$0")/.."
build=${1:-build}
cmake --build "$build" --target tavo-screenshots >/dev/null
mkdir -p docs/images
XDG_RUNTIME_DIR=$(mktemp -d) xvfb-run -a -s "-screen 0 1280x720x24" "$build/tools/tavo-screenshots" docs/images
ls docs/images
