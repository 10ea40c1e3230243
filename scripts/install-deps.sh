#!/bin/sh
# Installs the Debian 12 packages needed to build, test and run the program.
set -eu
packages="cmake ninja-build g++ clang libclang-rt-14-dev qt6-base-dev qt6-base-dev-tools qt6-translations-l10n
  zlib1g-dev libgl-dev desktop-file-utils xvfb xauth fonts-noto-cjk fonts-ipafont poppler-utils imagemagick dpkg-dev file"
missing=""
for package in $packages; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
        missing="$missing $package"
done
[ -z "$missing" ] && exit 0
if [ "$(id -u)" -eq 0 ]; then sudo=""; else sudo="sudo"; fi
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends $missing
