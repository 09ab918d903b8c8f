#!/usr/bin/env bash
# Start with the desktop for an ordinary user: the real program runs as an unprivileged uid
# (through setpriv, since the tests run as root), beside a system-wide autostart entry it
# cannot write. Switched off from the tray menu, its own entry masks the system's; switched
# on, its entry names the program; after each restart the menu's check mark shows the entry
# that takes effect, and no warning was ever needed.
# Runs inside run-with-upower-mock.sh --x11.
. "$(dirname "${BASH_SOURCE[0]}")/../harness-lib.sh"

user=$(id -u)
if [ "$user" = 0 ]; then
  needs setpriv
  user=65534
  AS_USER=(setpriv --reuid="$user" --regid="$user" --clear-groups)
fi
home=$HARNESS_DIR/user
system=$HARNESS_DIR/xdg/autostart
export XDG_CONFIG_HOME=$home/.config
seed_store
mkdir -p "$home/run" "$home/bin" "$system"
printf '%s\n' '[Desktop Entry]' 'Type=Application' 'Name=Orvane' 'Exec=/usr/bin/orvane' >"$system/orvane.desktop"
# The program where that user can reach it, and its own folders; the buses' sockets too.
cp "$app" "$home/bin/orvane"
chmod 755 "$home/bin" "$home/bin/orvane"
chmod 700 "$home/run"
chmod 711 "$HARNESS_DIR" "$HARNESS_DIR"/dbus-*
[ "$user" = "$(id -u)" ] || chown -R "$user:$user" "$home"
APP_ENV=(HOME="$home" XDG_CONFIG_DIRS="$HARNESS_DIR/xdg" XDG_RUNTIME_DIR="$home/run")
entry=$home/.config/autostart/orvane.desktop

checks() { grep 'menu checks:' "$log" | tail -1 | sed 's/.*menu checks: *//'; }
checks_are() { [ "$(checks)" = "$1" ]; }
runs=0
# run CHECKS: a start of its own, logged apart, whose menu shows CHECKS.
run() {
  runs=$((runs + 1))
  log=$HARNESS_DIR/run-$runs.log
  start_orvane "$home/bin/orvane"
  wait_window "$pid" Orvane >/dev/null || fail "run $runs: no main window"
  wait_for checks_are "$1" || fail "run $runs: the menu shows $(checks), not $1"
}
# Exit, Control Center, Refresh Status, Full, Compact, Minimize, Start with Windows.
toggle() { choose_from_tray_menu "$pid" 7 || fail "run $runs: no tray menu"; }

run "Full, Start with Windows"  # the system's entry in effect
[ "$(stat -c %u /proc/$pid)" = "$user" ] || fail "the program does not run as uid $user"
# Switched off, the user's entry masks the system's; switched on, it names the program.
for row in "Hidden=true|Full" "Exec=$home/bin/orvane|Full, Start with Windows"; do
  toggle
  wait_for grep -qxF "${row%%|*}" "$entry" || fail "no ${row%%|*} in the entry: $(cat "$entry")"
  wait_for checks_are "${row#*|}" || fail "switched, the menu shows: $(checks)"
  stop_orvane
  run "${row#*|}"
done
stop_orvane

[ "$(stat -c %u "$entry")" = "$user" ] || fail "the user's entry is not the user's"
grep -qx 'Exec=/usr/bin/orvane' "$system/orvane.desktop" || fail "the system's entry was changed"
! grep -h 'could not be switched' "$HARNESS_DIR"/run-*.log || fail "a warning was shown"
echo "PASS: as uid $user, off and on through the user's own entry, shown after each restart"
