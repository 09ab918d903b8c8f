#!/usr/bin/env bash
# tests/platform/windows/wine-prefix.sh create|remove DIR
# create: a fresh Wine prefix at DIR, so that no test waits for Wine to make one.
# remove: ends that prefix's wineserver and deletes the prefix.
set -u
what=${1:?usage: wine-prefix.sh create|remove DIR} dir=${2:?usage: wine-prefix.sh create|remove DIR}
case $what in create | remove) ;; *) echo "usage: wine-prefix.sh create|remove DIR" >&2; exit 2 ;; esac
wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
server=$(command -v wineserver || echo /usr/lib/wine/wineserver)
if [ ! -x "$wine" ]; then
  echo "wine64 is not installed: the Windows tests will report a skip"
  exit 0
fi
export WINEPREFIX=$dir WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY
# Either way, the last prefix's server and files go first.
[ -x "$server" ] && "$server" -k 2>/dev/null
rm -rf "$dir" "$dir.log"
[ "$what" = remove ] && { echo "Wine prefix removed"; exit 0; }
mkdir -p "$dir"
# Without the 32-bit half Wine complains about syswow64; the 64-bit prefix is whole.
"$wine" wineboot --init >"$dir.log" 2>&1
# No display at all: windows are made, never shown.
"$wine" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >>"$dir.log" 2>&1
"$server" -w
[ -f "$dir/system.reg" ] || { cat "$dir.log"; echo "FAIL: Wine made no prefix at $dir"; exit 1; }
echo "Wine prefix ready at $dir"
