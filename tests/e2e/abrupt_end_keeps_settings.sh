#!/usr/bin/env bash
# The real program under Xvfb, used as a person would: the main window moved, Always On Top
# switched on from the tray menu, Compact chosen and the panel dragged by its icon. Then it
# ends with no shutdown of its own: killed with SIGKILL (--kill), or its X server gone
# (--x-server). The store holds every change all the same.
# Runs inside run-with-upower-mock.sh --x11:  abrupt_end_keeps_settings.sh --kill|--x-server PROGRAM
how=$1
. "$(dirname "${BASH_SOURCE[0]}")/../harness-lib.sh"
start_seeded
main=$(wait_window "$pid" Orvane) || fail "no main window"

# Moved as a window manager would move it: the place is stored once the window stands still.
xdotool windowmove "$main" 100 50
wait_stored X=1500 Y=750
choose_from_tray_menu "$pid" 8 || fail "no tray menu"
wait_stored "Always On Top=-1"
choose_from_tray_menu "$pid" 5 || fail "no tray menu"
panel=$(wait_window "$pid" "Orvane compact") || fail "choosing Compact showed no compact panel"
drag_to 400 300
wait_stored CompactX=6000 CompactY=4500

case $how in
  --kill) kill -KILL "$pid" ;;
  --x-server) kill "$XVFB_PID" ;;
  *) fail "unknown way to end: $how" ;;
esac
ended "the program outlived its end"
head -1 "$store" | grep -q '^Windows Registry Editor Version 5.00' || fail "the store is not whole"
stored X=1500 Y=750 CompactX=6000 CompactY=4500 "Always On Top=-1" || fail "a change was lost"
echo "PASS: moves and the on-top state were stored as they happened; $how lost none"
