#!/usr/bin/env bash
# The compact panel under Xvfb, by mouse: dragged by its icon, it moves with the pointer from the
# press and a drop near the left or top edge snaps to it, where the store then has it; a double
# click on the icon asks the exit question, and Enter (Yes) saves the panel's place and ends the
# program; the next start shows it there again. With --wm the same under a window manager
# (openbox), which moves the panel itself and reparents it into a frame of its own.
# Runs inside run-with-upower-mock.sh --x11.
. "$(dirname "${BASH_SOURCE[0]}")/../harness-lib.sh"
[ "$1" = --wm ] && { start_window_manager || exit 1; }

seed_store Display=1 CompactX=4500 CompactY=3000
start() {
  start_orvane "$app"
  panel=$(wait_window "$pid" "Orvane compact") || fail "no compact panel"
  # The window manager, if any, has framed it and put it where it asked to be.
  wait_for at "$panel" "$1" "$2" || fail "the panel is at $(win_geometry "$panel"), not $1,$2"
}

start 300 200
edge_drops

read -r x y _ _ < <(win_geometry "$panel")
xdotool mousemove $((x + 6)) $((y + 6)) click --repeat 2 --delay 120 1
WAIT_S=5 wait_log 'Are you sure you want to exit Orvane?' || fail "a double click on the icon asked nothing"
# The question is logged just before its box is shown: wait for the box itself.
box=$(wait_window "$pid" Orvane) || fail "the exit question's box did not appear"
xdotool windowfocus --sync "$box" 2>/dev/null
xdotool key --window "$box" Return 2>/dev/null
ended "Yes did not end the program"
stored CompactX=$((x * 15)) CompactY=$((y * 15)) || fail "the panel was at $x,$y when it closed, but the store holds another place"

start "$x" "$y"
echo "PASS: panel dragged and snapped, double click asked, Yes saved $((x * 15)),$((y * 15)) and it came back there"
