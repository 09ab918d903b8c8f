#!/usr/bin/env bash
# The real program under Xvfb with an XEmbed tray (trayer): the icon docks, a right click
# opens the menu, and choosing Compact shows the floating panel on top and hides the main
# window. Runs inside run-with-upower-mock.sh --x11.
. "$(dirname "${BASH_SOURCE[0]}")/../harness-lib.sh"
start_seeded
main=$(wait_window "$pid" Orvane) || fail "no main window"
choose_from_tray_menu "$pid" 5 || fail "a right click on the icon opened no menu"
panel=$(wait_window "$pid" "Orvane compact") || fail "choosing Compact showed no compact panel"
main_shown() { xdotool search --all --onlyvisible --pid "$pid" --name '^Orvane$' | grep -qx "$main"; }
WAIT_S=5 wait_for eval '! main_shown' || fail "the main window is still shown"
xprop -id "$panel" _NET_WM_STATE | grep -q _NET_WM_STATE_ABOVE || fail "the panel is not kept above other windows"
stored Display=1 || fail "Display was not stored as Compact"
echo "PASS: icon docked, menu opened, Compact shown on top"
