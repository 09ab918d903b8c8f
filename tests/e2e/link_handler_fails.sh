#!/usr/bin/env bash
# The desktop names a handler for the web page's scheme, but its program does not exist: a
# click on the About box's web link shows "URL Failed" with the address, as on a desktop where
# launching the browser fails. Runs inside run-with-upower-mock.sh --x11.
. "$(dirname "${BASH_SOURCE[0]}")/../harness-lib.sh"
link_handler /nonexistent/browser https http
[ "$(xdg-mime query default x-scheme-handler/https)" = handler.desktop ] || fail "the handler was not registered"

start_seeded
wait_window "$pid" Orvane >/dev/null || fail "no main window"
choose_from_tray_menu "$pid" 9 || fail "no tray menu"
about=$(wait_window "$pid" "About Orvane") || fail "no About box"
# The web link's row in the box's design (3840 x 2760 twips), wherever the font made it grow.
read -r x y w h < <(win_geometry "$about")
xdotool mousemove $((x + w * 400 / 3840)) $((y + h * 2017 / 2760)) click 1
web=${ORVANE_MAKER_WEB:-https://merrowin.example/orvane}
wait_log "URL Failed | Attemp failed. Address $web cannot be opened" || fail "no URL Failed message"
wait_window "$pid" "URL Failed" >/dev/null || fail "the message's box did not appear"
echo "PASS: a handler that cannot start gave the URL Failed message"
