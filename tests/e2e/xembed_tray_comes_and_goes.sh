#!/usr/bin/env bash
# An XEmbed tray that starts after the program and later goes away (a panel that restarts):
# in Minimize mode the main window stays while there is no tray, the icon docks once the tray
# is there and the window goes, and the window is back as soon as the tray leaves.
# Runs inside run-with-upower-mock.sh --x11 (whose tray this script stops first).
. "$(dirname "${BASH_SOURCE[0]}")/../harness-lib.sh"
stop_pid "$TRAY_PID"
WAIT_S=5 wait_for eval '! tray_ready' || fail "the tray did not go"

start_seeded Display=2
wait_window "$pid" Orvane >/dev/null || fail "with no tray, Minimize left no window to reach the menu from"
for round in first second; do
  start_tray_host || exit 1
  wait_for docked || fail "the icon did not dock in the tray that came ($round time)"
  wait_for eval '[ -z "$(visible_window "$pid" Orvane)" ]' || fail "Minimize kept the main window with a tray there ($round time)"
  stop_pid "$TRAY_PID"
  wait_window "$pid" Orvane >/dev/null || fail "the tray went and left no window ($round time)"
done
echo "PASS: the icon followed the XEmbed tray as it came and went, and Minimize with it"
