#!/usr/bin/env bash
# The tray icon on a StatusNotifierItem host (KDE Plasma, GNOME's AppIndicator extension,
# Xfce's panel), played by a watcher of our own on the private session bus, under a window
# manager: the item registers, its tip and picture follow the battery, and the host's
# Activate and ContextMenu do in each mode what the tray table says. Activate stands for the
# double click such a host never reports: it restores the main window in Full mode and brings
# the panel forward in Compact mode; ContextMenu opens the menu where the host asks.
# Runs inside run-with-upower-mock.sh --x11 --battery 85:7530.
set -u
app=${1:?usage: tray_sni.sh PATH_TO_ORVANE}
here=$(dirname "${BASH_SOURCE[0]}")
. "$here/../upower-mock.sh"
command -v openbox >/dev/null || { echo "SKIP: openbox is not installed (scripts/deps.sh test)"; exit 77; }
start_window_manager || exit 1

"$PY" "$here/../sni-watcher.py" "$HARNESS_DIR/sni.txt" >"$HARNESS_DIR/sni.log" 2>&1 &
track $!
wait_name session org.kde.StatusNotifierWatcher || { echo "FAIL: no watcher"; exit 1; }

seed_store
fail() { echo "FAIL: $*" >&2; cat "$log" >&2; visible_windows_of "$pid" >&2; exit 1; }

start_orvane "$app"
main=$(wait_window "$pid" Orvane) || fail "no main window"
wait_for test -s "$HARNESS_DIR/sni.txt" || fail "the item did not register with the watcher"
read -r _ item <"$HARNESS_DIR/sni.txt"
item_call() { gdbus call --session -d "$item" -o /StatusNotifierItem -m "org.kde.StatusNotifierItem.$1" "${@:2}"; }
prop() { gdbus call --session -d "$item" -o /StatusNotifierItem -m org.freedesktop.DBus.Properties.Get org.kde.StatusNotifierItem "$1"; }
prop_has() { prop "$1" | grep -qF "$2"; }
[ -z "$(tray_icon_windows "$pid")" ] || fail "an XEmbed icon docked beside the item"

prop_has Title "'Orvane'" || fail "title: $(prop Title)"
wait_for prop_has ToolTip "Status: 85% Remaining | Time: 2:05 | Pwr: Battery" || fail "tip: $(prop ToolTip)"
picture=$(prop IconPixmap | md5sum)
mock_display "{'Percentage': <50.0>, 'TimeToEmpty': <int64 3600>}"
wait_for prop_has ToolTip "Status: 50% Remaining | Time: 1:00 | Pwr: Battery" || fail "the tip did not follow: $(prop ToolTip)"
[ "$(prop IconPixmap | md5sum)" != "$picture" ] || fail "the picture did not follow"

state_is() { xprop -id "$1" WM_STATE | grep -q "window state: $2"; }
# new_window_at X Y: the program's newest visible window that stands at X,Y (the menu).
menu_at() {
  local w
  for w in $(xdotool search --onlyvisible --pid "$pid"); do
    [ "$(win_geometry "$w" | cut -d' ' -f1-2)" = "$1 $2" ] && { echo "$w"; return 0; }
  done
  return 1
}
choose() {  # choose X Y N: the menu opened by the host at X,Y, its Nth item
  local menu
  item_call ContextMenu "$1" "$2" >/dev/null || fail "ContextMenu failed"
  WAIT_S=5 wait_for menu_at "$1" "$2" || fail "ContextMenu $1 $2 opened no menu there"
  menu=$(menu_at "$1" "$2")
  xdotool key --window "$menu" $(printf 'Down %.0s' $(seq "$3")) Return 2>/dev/null || true
}

# Full: Activate brings a minimized main window back.
xdotool windowminimize "$main"
wait_for state_is "$main" Iconic || fail "the main window did not minimize"
item_call Activate 0 0 >/dev/null
wait_for state_is "$main" Normal || fail "Activate did not restore the main window in Full mode"

# Compact (the fifth item): Activate brings the panel forward, here: gives it the focus.
choose 400 300 5
panel=$(wait_window "$pid" "Orvane compact") || fail "no compact panel"
xmessage -geometry +700+500 "elsewhere" 2>/dev/null &
track $!
other_window() { xdotool search --onlyvisible --classname xmessage | head -1; }
wait_for eval '[ -n "$(other_window)" ]' || fail "no other window"
elsewhere=$(other_window)
xdotool windowactivate --sync "$elsewhere" 2>/dev/null
wait_for eval '[ "$(xdotool getwindowfocus)" = "$elsewhere" ]' || fail "could not focus another window"
item_call Activate 0 0 >/dev/null
wait_for eval '[ "$(xdotool getwindowfocus)" = "$panel" ]' || fail "Activate did not bring the panel forward in Compact mode"

# Minimize (the sixth item): only the menu; Activate shows nothing.
choose 350 250 6
wait_for eval '[ -z "$(visible_window "$pid" "Orvane compact")" ]' || fail "the panel stayed in Minimize mode"
item_call Activate 0 0 >/dev/null
choose 300 200 4  # a barrier after the Activate: back to Full through the menu
wait_for eval '[ -n "$(visible_window "$pid" Orvane)" ]' || fail "Full from the menu showed no main window"
[ "$(grep -c 'tip:' "$log")" -ge 2 ] || fail "no display updates logged"
echo "PASS: the item registered and followed the battery; Activate and ContextMenu acted by mode"
