#!/usr/bin/env bash
# A first run on an empty store, driven only by the keyboard as a new user would: the wizard
# is the first window with its slider focused, the arrow keys set three hours, Enter finishes
# it and Enter answers the welcome message. Then the store holds the seed, and with UPower
# giving no remaining time the tray tip shows the learnt estimate (1.8 x 85 = 153 minutes).
# Runs inside run-with-upower-mock.sh --x11 --battery 85:0.
. "$(dirname "${BASH_SOURCE[0]}")/../harness-lib.sh"

store=$XDG_CONFIG_HOME/Merrowin/Orvane.reg
# focus_on WID: waits for the window to take the keyboard focus, as it should on its own
# (a dialog without a window manager may need to be given it).
focus_on() { WAIT_S=3 wait_for has_focus "$1" || { xdotool windowfocus --sync "$1"; has_focus "$1"; }; }

[ ! -e "$store" ] || fail "the store is not empty"
start_orvane "$app"
w=$(wait_window "$pid" "Personalizing Orvane") || fail "the wizard did not appear"
[ "$(xdotool search --onlyvisible --pid "$pid" | wc -l)" = 1 ] || fail "another window is shown beside the wizard"
focus_on "$w" || fail "the wizard never got the keyboard focus"
# Twelve steps of 15 minutes: three hours. Then Enter presses Done.
for _ in $(seq 12); do xdotool key Right; done
xdotool key Return

w=$(wait_window "$pid" "Welcome to Orvane") || fail "no welcome message after the wizard"
focus_on "$w" || fail "the welcome message never got the keyboard focus"
xdotool key Return

wait_log 'tip: Status:'
grep -q 'tip: Status: 85% Remaining | Time: 2:33 | Pwr: Battery' "$log" || fail "the tip does not show the learnt estimate"
stored Data=1.8 Count=10 "First Use=1" || fail "the wizard's seed is not stored"
grep -q 'Welcome to Orvane' "$log" || fail "the welcome message was not logged"
echo "PASS: first run by keyboard seeded Data 1.8, Count 10; tip shows 2:33"
