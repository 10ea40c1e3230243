# Sourced by the Windows test scripts: a Wine set up as a Japanese Windows
# (system code page 932) that runs the cross-built programs quietly.
# Needs: repo (the repository folder) and WINEPREFIX set by the caller.
toolchain=$(cd "$repo/../shared/windows" && pwd -P)
wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver)
winpath() { printf 'Z:%s' "$(printf '%s' "$1" | tr / '\\')"; }
# Wine takes the code page from the Unix locale; it also needs UTF-8 for
# non-ASCII file names.
if ! locale -a 2>/dev/null | grep -qix 'ja_JP\.utf-\?8'; then
    localedef -i ja_JP -f UTF-8 ja_JP.UTF-8
fi
export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
export WINEDEBUG=-all
# No Mono or Gecko download, no menu entries written into the Linux desktop.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
# Wine hides QT_* from Windows programs; WINEQT_* reaches them as QT_*.
export WINEQT_FORCE_STDERR_LOGGING=1
export WINEQT_QPA_FONTDIR=Z:/usr/share/fonts/truetype
