#!/usr/bin/env bash
# Everything by keyboard, under a window manager: the Menu key and Shift+F10 open the pop-up
# menu on the main window and on the compact panel, with its first item ready for the arrow
# keys; About's two links are reached with Tab and opened with Enter and Space. A screen reader's
# view (AT-SPI, the real registry) shows the two links as links, and pressing one there opens it.
# Runs inside run-with-upower-mock.sh --x11.
. "$(dirname "${BASH_SOURCE[0]}")/../harness-lib.sh"
launcher=/usr/libexec/at-spi-bus-launcher
needs xdg-mime "$launcher"
needs_py 'import gi; gi.require_version("Atspi", "2.0")' gir1.2-atspi-2.0
start_window_manager || exit 1

# A browser and a mail program that write down what they were given.
opened=$HARNESS_DIR/opened.txt
printf '#!/bin/sh\nprintf "%%s\\n" "$1" >>%s\n' "$opened" >"$HARNESS_DIR/recorder"
chmod +x "$HARNESS_DIR/recorder"
link_handler "$HARNESS_DIR/recorder" https http mailto

# The accessibility bus, as a desktop session starts it; Qt then tells it about every window.
"$launcher" --launch-immediately >"$HARNESS_DIR/a11y.log" 2>&1 &
track $!
wait_name session org.a11y.Bus 10 || fail "no accessibility bus"
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1

start_seeded X=3000 Y=3000
main=$(wait_window "$pid" Orvane) || fail "no main window"
read -r x y w h < <(win_geometry "$main")
xdotool mousemove $((x + w - 20)) $((y + h - 10)) click 1
wait_for has_focus "$main" || fail "the main window did not take the focus"

# The Menu key on the main window; Exit is ready, four down is Compact.
opens_window "$pid" xdotool key Menu >/dev/null ||
  fail "the Menu key opened no menu on the main window"
xdotool key Down Down Down Down Return
panel=$(wait_window "$pid" "Orvane compact") || fail "Compact was not chosen: $(grep 'menu checks' "$log" | tail -1)"
# Shift+F10 on the compact panel (clicked away from its icon, which is its drag handle).
read -r x y w h < <(win_geometry "$panel")
xdotool mousemove $((x + w / 2)) $((y + h / 2)) click 1
wait_for has_focus "$panel" || fail "the compact panel did not take the focus"
opens_window "$pid" xdotool key shift+F10 >/dev/null ||
  fail "Shift+F10 opened no menu on the compact panel"
xdotool key Down Down Down Return
main=$(wait_window "$pid" Orvane) || fail "Full was not chosen: $(grep 'menu checks' "$log" | tail -1)"
wait_for has_focus "$main" || xdotool windowactivate --sync "$main"

# About: the last item, one up from the first.
opens_window "$pid" xdotool key shift+F10 >/dev/null ||
  fail "Shift+F10 opened no menu on the main window"
xdotool key Up Return
about=$(wait_window "$pid" "About Orvane") || fail "About was not chosen"
wait_for has_focus "$about" || fail "the About box did not take the focus"
xdotool key Tab Return
wait_for grep -q '^mailto:' "$opened" || fail "Tab and Enter did not open the e-mail link"
xdotool key Tab space
wait_for grep -q '^http' "$opened" || fail "Tab and Space did not open the web link: $(cat "$opened")"
[ -n "$(visible_window "$pid" "About Orvane")" ] || fail "Enter on a link closed the About box"

# What a screen reader finds in the About box.
"$PY" - "$pid" >"$HARNESS_DIR/a11y.txt" 2>&1 <<'PY' || fail "assistive technology: $(cat "$HARNESS_DIR/a11y.txt")"
import sys
import gi
gi.require_version("Atspi", "2.0")
from gi.repository import Atspi

def kids(node):
    return [node.get_child_at_index(i) for i in range(node.get_child_count())]
def links_of(node):
    return [node] * (node.get_role() == Atspi.Role.LINK) + [l for k in kids(node) for l in links_of(k)]
app = next(a for a in kids(Atspi.get_desktop(0)) if a and a.get_process_id() == int(sys.argv[1]))
links = links_of(next(w for w in kids(app) if w.get_name() == "About Orvane"))
names = [l.get_name() for l in links]
assert len(links) == 2 and names[0].startswith("E-mail: ") and names[1].startswith("Web: "), names
for l in links:
    assert l.get_state_set().contains(Atspi.StateType.FOCUSABLE), l.get_name()
    assert l.get_action_iface() and l.get_action_iface().get_n_actions() >= 1, l.get_name()
# Pressed by the screen reader: the web link opens once more.
links[1].get_action_iface().do_action(0)
print("links:", names)
PY
wait_for eval '[ "$(grep -c "^http" "$opened")" -ge 2 ]' || fail "the screen reader's press did not open the link"
echo "PASS: the menu by Menu and Shift+F10 on both windows; About's links by Tab, Enter, Space and AT-SPI"
