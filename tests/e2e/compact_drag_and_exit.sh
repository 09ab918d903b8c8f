#!/usr/bin/env bash
# The compact panel under Xvfb, by mouse: dragged by its icon, it moves with the pointer from the
# press and a drop near the left or top edge snaps to it, where the store then has it; a double
# click on the icon asks the exit question, and Enter (Yes) saves the panel's place and ends the
# program; the next start shows it there again. With --wm the same under a window manager
# (openbox), which moves the panel itself and reparents it into a frame of its own.
# Runs inside run-with-upower-mock.sh --x11.
set -u
wm=0
[ "${1:-}" = --wm ] && { wm=1; shift; }
app=${1:?usage: compact_drag_and_exit.sh [--wm] PATH_TO_ORVANE}
. "$(dirname "${BASH_SOURCE[0]}")/../harness-lib.sh"

if [ $wm = 1 ]; then
  command -v openbox >/dev/null || { echo "SKIP: openbox is not installed (scripts/deps.sh test)"; exit 77; }
  start_window_manager || exit 1
fi

seed_store Display=1 CompactX=4500 CompactY=3000
at() { [ "$(win_geometry "$1" | cut -d' ' -f1-2)" = "$2 $3" ]; }
start() {
  start_orvane "$app"
panel=$(wait_window "$pid" "Orvane compact") || fail "no compact panel"
  # The window manager, if any, has framed it and put it where it asked to be.
  wait_for at "$panel" "$1" "$2" || fail "the panel is at $(win_geometry "$panel"), not $1,$2"
}

stored_at() { stored CompactX $(($1 * 15)) && stored CompactY $(($2 * 15)); }
# drag_to X Y: presses on the icon, moves in steps as a hand does, and lets go with the panel's
# corner at X,Y; a drop less than 12 pixels from the left or top edge lands on it.
drag_to() {
  local x y step
  read -r x y _ _ < <(win_geometry "$panel")
  xdotool mousemove $((x + 6)) $((y + 6)) mousedown 1
  for step in 1 2 3 4 5 6 7 8; do
    xdotool mousemove $((x + 6 + ($1 - x) * step / 8)) $((y + 6 + ($2 - y) * step / 8))
    sleep 0.03
  done
  xdotool mouseup 1
}

start 300 200
for drop in "10 300 0 300" "300 10 300 0" "200 150 200 150"; do
  read -r dx dy wx wy <<<"$drop"
  drag_to "$dx" "$dy"
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
wait_for eval "! kill -0 $pid" || fail "Yes did not end the program"
forget "$pid"
stored_at "$x" "$y" ||
  fail "the panel was at $x,$y when it closed, but the store holds another place"

start "$x" "$y"
echo "PASS: panel dragged and snapped, double click asked, Yes saved $((x * 15)),$((y * 15)) and it came back there"
