#!/usr/bin/env bash
# tests/platform/windows/wine.sh PROGRAM.exe [ARGS...]
# Runs a Windows test program under Wine in the throw-away prefix ORVANE_WINEPREFIX (made by
# wine-prefix.sh), never in the user's own. Exits 77, a skip to ctest, where Wine is missing.
set -u
wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
[ -x "$wine" ] || { echo "SKIP: wine64 is not installed (scripts/deps.sh test installs it)"; exit 77; }
export WINEPREFIX=${ORVANE_WINEPREFIX:?run by ctest, which names the prefix}
export WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES="mscoree,mshtml="
# The programs need no display; without one, Wine opens no window on the user's desktop.
unset DISPLAY WAYLAND_DISPLAY
exec "$wine" "$@"
