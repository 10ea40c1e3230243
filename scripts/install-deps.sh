#!/bin/sh
# Installs the Debian 12 packages needed to build, test and run the program,
# and to cross-build, test (under Wine) and package it for Windows.
set -eu
packages="cmake ninja-build g++ clang libclang-rt-14-dev qt6-base-dev qt6-base-dev-tools qt6-translations-l10n
  zlib1g-dev libgl-dev desktop-file-utils xvfb xauth fonts-noto-cjk fonts-ipafont poppler-utils imagemagick dpkg-dev file
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix mingw-w64-tools wine64 wine nsis locales x11-utils"
missing=""
for package in $packages; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
        missing="$missing $package"
done
if [ "$(id -u)" -eq 0 ]; then sudo=""; else sudo="sudo"; fi
if [ -n "$missing" ]; then
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends $missing
fi
# Qt 6 for Windows needs std::thread: the MinGW compilers with POSIX threads.
for compiler in gcc g++; do
    current=$(update-alternatives --query "x86_64-w64-mingw32-$compiler" 2>/dev/null | sed -n 's/^Value: //p')
    if [ "$current" != "/usr/bin/x86_64-w64-mingw32-$compiler-posix" ]; then
        $sudo update-alternatives --set "x86_64-w64-mingw32-$compiler" "/usr/bin/x86_64-w64-mingw32-$compiler-posix"
    fi
done
