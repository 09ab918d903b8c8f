#!/usr/bin/env bash
# Start with the desktop for an ordinary user: the real program runs as an unprivileged uid
# (through setpriv, since the tests run as root), beside a system-wide autostart entry it
# cannot write. Switched off from the tray menu, its own entry masks the system's; switched
# on, its entry names the program; after each restart the menu's check mark shows the entry
# that takes effect, and no warning was ever needed.
# Runs inside run-with-upower-mock.sh --x11.
set -u
app=${1:?usage: autostart_as_user.sh PATH_TO_ORVANE}
. "$(dirname "${BASH_SOURCE[0]}")/../harness-lib.sh"

as_user=()
user=$(id -u)
if [ "$user" = 0 ]; then
  command -v setpriv >/dev/null || { echo "SKIP: setpriv is missing"; exit 77; }
  user=65534
  as_user=(setpriv --reuid="$user" --regid="$user" --clear-groups)
fi
home=$HARNESS_DIR/user
system=$HARNESS_DIR/xdg/autostart
mkdir -p "$home/run" "$home/bin" "$home/.config/Merrowin" "$system"
printf '%s\n' 'Windows Registry Editor Version 5.00' '' \
  '[HKEY_CURRENT_USER\Software\Merrowin\Orvane\Setting]' '"First Use"="1"' >"$home/.config/Merrowin/Orvane.reg"
printf '%s\n' '[Desktop Entry]' 'Type=Application' 'Name=Orvane' 'Exec=/usr/bin/orvane' >"$system/orvane.desktop"
# The program where that user can reach it, and its own folders; the buses' sockets too.
cp "$app" "$home/bin/orvane"
chmod 755 "$home/bin" "$home/bin/orvane"
chmod 700 "$home/run"
chmod 711 "$HARNESS_DIR" "$HARNESS_DIR"/dbus-*
[ "$user" = "$(id -u)" ] || chown -R "$user:$user" "$home"
entry=$home/.config/autostart/orvane.desktop

log=
fail() { echo "FAIL: $*" >&2; cat "$HARNESS_DIR"/run-*.log >&2; exit 1; }
checks() { grep 'menu checks:' "$log" | tail -1 | sed 's/.*menu checks: *//'; }
checks_are() { [ "$(checks)" = "$1" ]; }
runs=0
start() {
  runs=$((runs + 1))
  log=$HARNESS_DIR/run-$runs.log
  "${as_user[@]}" env HOME="$home" XDG_CONFIG_HOME="$home/.config" XDG_CONFIG_DIRS="$HARNESS_DIR/xdg" \
    XDG_RUNTIME_DIR="$home/run" QT_LOGGING_RULES="orvane.display.debug=true;orvane.messages.debug=true" \
    "$home/bin/orvane" >"$log" 2>&1 &
  pid=$!
  track "$pid"
  wait_window "$pid" Orvane >/dev/null || fail "run $runs: no main window"
}
stop() {
  kill "$pid"
  wait_for eval "! kill -0 $pid" || fail "run $runs did not end on SIGTERM"
  forget "$pid"
}
# Exit, Control Center, Refresh Status, Full, Compact, Minimize, Start with Windows.
toggle() { choose_from_tray_menu "$pid" 7 || fail "run $runs: no tray menu"; }

start
[ "$(stat -c %u /proc/$pid)" = "$user" ] || fail "the program does not run as uid $user"
wait_for checks_are "Full, Start with Windows" || fail "the system's entry is not shown as in effect: $(checks)"
toggle
wait_for grep -qx 'Hidden=true' "$entry" || fail "switching off wrote no entry of the user's own"
wait_for checks_are "Full" || fail "switched off, the menu shows: $(checks)"
stop
start
wait_for checks_are "Full" || fail "after a restart the user's entry does not mask the system's: $(checks)"
toggle
wait_for grep -qxF "Exec=$home/bin/orvane" "$entry" || fail "switching on did not name the program: $(cat "$entry")"
wait_for checks_are "Full, Start with Windows" || fail "switched on, the menu shows: $(checks)"
stop
start
wait_for checks_are "Full, Start with Windows" || fail "after a restart the menu shows: $(checks)"
stop

[ "$(stat -c %u "$entry")" = "$user" ] || fail "the user's entry is not the user's"
grep -qx 'Exec=/usr/bin/orvane' "$system/orvane.desktop" || fail "the system's entry was changed"
! grep -h 'could not be switched' "$HARNESS_DIR"/run-*.log || fail "a warning was shown"
echo "PASS: as uid $user, off and on through the user's own entry, shown after each restart"
