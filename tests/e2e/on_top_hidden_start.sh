#!/usr/bin/env bash
# Always On Top stored, and a start in Compact (or, with --minimize, in Minimize) mode under a
# window manager: choosing Full from the tray menu shows the main window at its stored place,
# kept above the others.
# Runs inside run-with-upower-mock.sh --x11.
display=1
[ "$1" = --minimize ] && display=2
. "$(dirname "${BASH_SOURCE[0]}")/../harness-lib.sh"
start_window_manager || exit 1
start_seeded Display=$display X=1500 Y=750 "Always On Top=-1"
wait_for docked || fail "the icon did not dock"
[ $display = 1 ] && { wait_window "$pid" "Orvane compact" >/dev/null || fail "no compact panel"; }
[ -z "$(visible_window "$pid" Orvane)" ] || fail "the main window is shown in mode $display"

choose_from_tray_menu "$pid" 4 || fail "no tray menu"
main=$(wait_window "$pid" Orvane) || fail "Full showed no main window"
# The stored place is the frame's: the window's own corner less the frame's left and top.
frame_at() {
  local x y l t
  read -r x y _ _ < <(win_geometry "$main")
  read -r l _ t _ < <(xprop -id "$main" _NET_FRAME_EXTENTS | sed 's/.*= //; s/,//g')
  [ "$((x - ${l:-0})) $((y - ${t:-0}))" = "$1 $2" ]
}
wait_for frame_at 100 50 || fail "the main window is at $(win_geometry "$main") with frame $(xprop -id "$main" _NET_FRAME_EXTENTS), not at 100,50"
xprop -id "$main" _NET_WM_STATE | grep -q _NET_WM_STATE_ABOVE || fail "the main window is not kept above"
echo "PASS: Full from mode $display showed the on-top main window at its stored place"
