#!/usr/bin/env bash
# Takes the README's screenshots of Orvane's windows under Xvfb, against a mocked UPower:
#   scripts/screenshots.sh [PATH_TO_ORVANE]     (default: build/release/src/orvane)
# Writes docs/screenshots/*.png. Needs the test packages (scripts/deps.sh test).
set -uo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
app=$(realpath "${1:-$root/build/release/src/orvane}")
[ -x "$app" ] || { echo "no program at $app; build it first (scripts/run.sh or cmake --build --preset release)" >&2; exit 1; }
if [ -z "${HARNESS_DIR:-}" ]; then
  exec "$root/tests/run-with-upower-mock.sh" --x11 --battery 85:7530 -- "$0" "$app"
fi

. "$root/tests/harness-lib.sh"
out=$root/docs/screenshots
mkdir -p "$out"
store=$XDG_CONFIG_HOME/Merrowin/Orvane.reg

seed() {  # seed DISPLAY_MODE: a returning user's store
  mkdir -p "$(dirname "$store")"
  cat >"$store" <<REG
Windows Registry Editor Version 5.00

[HKEY_CURRENT_USER\\Software\\Merrowin\\Orvane\\Window]
"X"="1500"
"Y"="1500"
"CompactX"="1500"
"CompactY"="1500"
"Display"="$1"

[HKEY_CURRENT_USER\\Software\\Merrowin\\Orvane\\Setting]
"First Use"="1"
"LowBatt"="1"
"LowBattVal"="15"
"Data"="1.8"
"Count"="10"
REG
}

window_named() {  # window_named PID TITLE: the newest visible window of PID with that title
  local w
  w=$(wait_window "$1" "$2") || return 1
  sleep 0.4  # let it paint before the shot
  echo "$w"
}

start_app() {
  "$app" >"$HARNESS_DIR/app.log" 2>&1 &
  pid=$!
  track "$pid"
}

open_menu() {  # right-click the tray icon
  local icon=""
  for _ in $(seq 100); do icon=$(tray_icon_windows "$pid" | head -1); [ -n "$icon" ] && break; sleep 0.1; done
  read -r ix iy iw ih < <(win_geometry "$icon")
  xdotool mousemove $((ix + iw / 2)) $((iy + ih / 2)) click 3
  sleep 0.5
}

shot() { import -window "$1" "$out/$2.png"; echo "wrote docs/screenshots/$2.png"; }

# The first-use wizard, on an empty store.
rm -rf "$XDG_CONFIG_HOME/Merrowin"
start_app
w=$(window_named "$pid" "Personalizing Orvane") || { echo "no wizard" >&2; exit 1; }
xdotool key --window "$w" Right Right Right Right Right Right Right Right Right Right Right Right
sleep 0.3
shot "$w" wizard
stop_pid "$pid"

# The main window, then the Control Center and the About box from the tray menu.
seed 0
start_app
shot "$(window_named "$pid" Orvane)" main-window
open_menu
xdotool key Down Down Return
shot "$(window_named "$pid" "Control Center")" control-center
xdotool key Escape
open_menu
xdotool key Up Return
shot "$(window_named "$pid" "About Orvane")" about
stop_pid "$pid"

# The compact panel.
seed 1
start_app
shot "$(window_named "$pid" "Orvane compact")" compact
stop_pid "$pid"
