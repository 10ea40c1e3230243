#!/bin/sh
# Installs what is missing, builds, and starts Tavo表題.
# Without a display it runs under a virtual one (xvfb-run).
set -eu
cd "$(dirname "$0")/.."
sh scripts/install-deps.sh
# A folder of its own: scripts/test.sh configures build/ otherwise, and one
# configuration would rebuild everything after the other.
cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DTAVO_BUILD_TESTS=OFF >/dev/null
cmake --build build-release
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    exec build-release/bin/tavo
fi
echo "No display: starting under xvfb-run (close with Ctrl+C)." >&2
exec xvfb-run -a -s "-screen 0 1280x1024x24" build-release/bin/tavo
