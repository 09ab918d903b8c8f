#!/usr/bin/env bash
# The real program with Debian's real upowerd over a fake battery (umockdev): the display
# follows a discharge, and plugging in and out are one display update each, never a moment
# of "charging" on battery power.
set -u
app=${1:?usage: real_upowerd.sh PATH_TO_ORVANE}
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
for tool in umockdev-wrapper /usr/libexec/upowerd dbus-daemon; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is missing (scripts/deps.sh test installs it)"; exit 77; }
done
/usr/bin/python3 -c 'import gi; gi.require_version("UMockdev", "1.0")' 2>/dev/null ||
  { echo "SKIP: gir1.2-umockdev-1.0 is missing"; exit 77; }
. "$here/upowerd-umockdev.sh"

start_private_bus session || exit 1
export XDG_RUNTIME_DIR=$HARNESS_DIR/run XDG_CONFIG_HOME=$HARNESS_DIR/config QT_QPA_PLATFORM=offscreen
mkdir -p "$XDG_RUNTIME_DIR"; chmod 700 "$XDG_RUNTIME_DIR"
seed_store
start_real_upowerd || exit 1

tips() { grep -c 'tip:' "$log"; }
wait_tip() { wait_for grep -qF "tip: $1" "$log"; }

start_orvane "$app"
# 51 of 60 Wh at 10 W: 85 %, 5 h 6 min.
wait_tip 'Status: 85% Remaining | Time: 5:06 | Pwr: Battery' || fail "first display"

umock_set BAT0 energy_now 45000000; umock_set BAT0 capacity 75; umock_uevent BAT0
wait_tip 'Status: 75% Remaining | Time: 4:30 | Pwr: Battery' || fail "the discharge was not followed"

# Each plug event must be one display update. What came of it is all shown once a later,
# distinct change is: upowerd sends in order.
updates_until() {  # updates_until TIP: how many tips since $before, up to the first showing TIP
  local tip=$1
  since() { grep 'tip:' "$log" | tail -n +$((before + 1)); }
  wait_for eval 'since | grep -qF "tip: $tip"' || fail "no display of $tip"
  since | grep -n -m1 -F "tip: $tip" | cut -d: -f1
}
before=$(tips)
umock_set AC online 1; umock_set BAT0 status Charging; umock_uevent AC; umock_uevent BAT0
wait_tip 'Status: 75% Charging' || fail "plugging in was not followed"
umock_set BAT0 energy_now 45600000; umock_set BAT0 capacity 76; umock_uevent BAT0
n=$(updates_until 'Status: 76% Charging')
[ "$n" = 2 ] || fail "plugging in gave $((n - 1)) updates, not one"
grep -q 'Charging | Time: .* | Pwr: Battery' "$log" && fail "showed charging on battery power"
grep 'tip: Status: 75% Charging' "$log" | grep -q 'Pwr: AC Power' || fail "charging without AC Power"

before=$(tips)
umock_set AC online 0; umock_set BAT0 status Discharging; umock_uevent AC; umock_uevent BAT0
wait_tip 'Status: 76% Remaining' || fail "unplugging was not followed"
unplugged=$(grep 'tip:' "$log" | tail -n +$((before + 1)) | head -1)
umock_set BAT0 energy_now 45000000; umock_set BAT0 capacity 75; umock_uevent BAT0
n=$(updates_until 'Status: 75% Remaining')
[ "$n" = 2 ] || fail "unplugging gave $((n - 1)) updates, not one"
echo "$unplugged" | grep -q 'Remaining | Time: 4:33 | Pwr: Battery' || fail "unplugging: $unplugged"
echo "PASS: real upowerd followed; plug and unplug one update each"
