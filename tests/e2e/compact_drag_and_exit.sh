#!/usr/bin/env bash
# The compact panel under Xvfb, by mouse: dragged by its icon, it moves with the pointer from the
# press and a drop near the left or top edge snaps to it, where the store then has it; a double
# click on the icon asks the exit question, and Enter (Yes) saves the panel's place and ends the
# program; the next start shows it there again. With --wm the same under a window manager
# (openbox), which moves the panel itself and reparents it into a frame of its own.
# Runs inside run-with-upower-mock.sh --x11.
set -u
[ "${1:-}" = --wm ] && shift && wm=1
app=${1:?usage: compact_drag_and_exit.sh [--wm] PATH_TO_ORVANE}
. "$(dirname "${BASH_SOURCE[0]}")/../harness-lib.sh"
[ -n "${wm:-}" ] && { start_window_manager || exit 1; }

seed_store Display=1 CompactX=4500 CompactY=3000
start() {
  start_orvane "$app"
  panel=$(wait_window "$pid" "Orvane compact") || fail "no compact panel"
  # The window manager, if any, has framed it and put it where it asked to be.
  wait_for at "$panel" "$1" "$2" || fail "the panel is at $(win_geometry "$panel"), not $1,$2"
}
stored_at() { stored CompactX $(($1 * 15)) && stored CompactY $(($2 * 15)); }

start 300 200
# Pressed on the icon and let go with the panel's corner at DX,DY: a drop less than 12 pixels
# from the left or top edge lands on it.
for drop in "10 300 0 300" "300 10 300 0" "200 150 200 150"; do
  read -r dx dy wx wy <<<"$drop"
  read -r x y _ _ < <(win_geometry "$panel")
  drag $((x + 6)) $((y + 6)) $((dx + 6)) $((dy + 6))
  wait_for at "$panel" "$wx" "$wy" || fail "dropped at $dx,$dy, the panel is at $(win_geometry "$panel") (want $wx,$wy)"
  wait_for stored_at "$wx" "$wy" || fail "dropped at $dx,$dy, the store does not hold $wx,$wy"
done

read -r x y _ _ < <(win_geometry "$panel")
xdotool mousemove $((x + 6)) $((y + 6)) click --repeat 2 --delay 120 1
WAIT_S=5 wait_for grep -q 'Are you sure you want to exit Orvane?' "$log" || fail "a double click on the icon asked nothing"
# The question is logged just before its box is shown: wait for the box itself.
box=$(wait_window "$pid" Orvane) || fail "the exit question's box did not appear"
xdotool windowfocus --sync "$box" 2>/dev/null
xdotool key --window "$box" Return 2>/dev/null
ended "Yes did not end the program"
stored_at "$x" "$y" || fail "the panel was at $x,$y when it closed, but the store holds another place"

start "$x" "$y"
echo "PASS: panel dragged and snapped, double click asked, Yes saved $((x * 15)),$((y * 15)) and it came back there"
