#!/usr/bin/env bash
# Clicks on an XEmbed tray icon (trayer) count when the button is released, in each mode, under
# a window manager: a press alone does nothing, not even open the menu or bring the panel
# forward. Full: the release of the right button opens the menu, a double click restores a
# minimized main window. Compact: the release of the left button brings the panel forward.
# Minimize: only the right button does anything.
# Runs inside run-with-upower-mock.sh --x11 --battery 85:7530.
. "$(dirname "${BASH_SOURCE[0]}")/../upower-mock.sh"
start_window_manager || exit 1
start_seeded
main=$(wait_window "$pid" Orvane) || fail "no main window"
wait_for docked || fail "the icon did not dock"
read -r ix iy iw ih < <(win_geometry "$(tray_icon_windows "$pid" | head -1)")
ix=$((ix + iw / 2)) iy=$((iy + ih / 2))

# Whatever a press did, it has done by the time a later power change is on display.
changes=0
settled() {
  local before
  before=$(grep -c 'tip:' "$log")
  changes=$((changes + 1))
  mock_display "{'TimeToEmpty': <int64 $((7000 + 60 * changes))>}"
  wait_for eval '[ "$(grep -c tip: "$log")" -gt '"$before"' ]' || fail "a power change was not shown"
}
# press BUTTON: pressed on the icon; nothing may come of it until it is let go.
press() {
  shown=$(windows_of "$pid")
  xdotool mousemove "$ix" "$iy" mousedown "$1"
  settled
}
right_click_opens_menu_on_release() {
  press 3
  [ "$(windows_of "$pid")" = "$shown" ] || fail "$1: a right press alone opened something"
  menu=$(opens_window "$pid" xdotool mouseup 3) || fail "$1: the release opened no menu"
  xdotool key --window "$menu" Escape 2>/dev/null
  wait_for eval '[ "$(windows_of "$pid")" = "$shown" ]' || fail "$1: the menu did not close"
}

# Full mode.
right_click_opens_menu_on_release Full
xdotool windowminimize "$main"
wait_for state_is "$main" Iconic || fail "the main window did not minimize"
press 1
xdotool mouseup 1
settled
state_is "$main" Iconic || fail "Full: a single left click restored the main window"
xdotool click --repeat 2 --delay 80 1
wait_for state_is "$main" Normal || fail "Full: a double click did not restore the main window"

# Compact mode: the panel comes forward on the release, not on the press.
choose_from_tray_menu "$pid" 5 || fail "no menu"
panel=$(wait_window "$pid" "Orvane compact") || fail "no compact panel"
focus_elsewhere
press 1
active_is "$panel" && fail "Compact: a left press alone brought the panel forward"
xdotool mouseup 1
wait_for active_is "$panel" || fail "Compact: releasing the left button did not bring the panel forward"
right_click_opens_menu_on_release Compact

# Minimize mode: the left button does nothing, the right one opens the menu on release.
choose_from_tray_menu "$pid" 6 || fail "no menu"
wait_for eval '[ -z "$(visible_window "$pid" "Orvane compact")" ]' || fail "the panel stayed in Minimize mode"
shown=$(windows_of "$pid")
xdotool mousemove "$ix" "$iy" click 1
settled
[ "$(windows_of "$pid")" = "$shown" ] || fail "Minimize: a left click showed something"
right_click_opens_menu_on_release Minimize
echo "PASS: presses alone did nothing; releases and the double click acted by mode"
