#!/usr/bin/env bash
# The real program with Debian's real upowerd over a fake battery (umockdev): the display
# follows a discharge, and plugging in and out are one display update each, never a moment
# of "charging" on battery power.
. "$(dirname "${BASH_SOURCE[0]}")/../harness-lib.sh"
needs umockdev-wrapper /usr/libexec/upowerd dbus-daemon
needs_py 'import gi; gi.require_version("UMockdev", "1.0")' gir1.2-umockdev-1.0

start_private_bus session && start_private_bus system || exit 1
export XDG_RUNTIME_DIR=$HARNESS_DIR/run XDG_CONFIG_HOME=$HARNESS_DIR/config XDG_CACHE_HOME=$HARNESS_DIR/cache
export QT_QPA_PLATFORM=offscreen
mkdir -p "$XDG_RUNTIME_DIR"; chmod 700 "$XDG_RUNTIME_DIR"
seed_store

# upowerd reads a umockdev testbed (/sys/class/power_supply/BAT0 and AC) through a controller
# that runs under umockdev's preload (else its uevents fail). The controller takes lines of
# DEV:NAME=VALUE (an attribute) and DEV (a "change" uevent: upowerd re-reads DEV), done in
# order, and answers OK to each line (or ends with what went wrong). upowerd takes Percentage
# from capacity and TimeToEmpty from energy_now / power_now: the two change together.
ctl=$HARNESS_DIR/upowerd.ctl out=$HARNESS_DIR/upowerd.out
mkfifo "$ctl"
umockdev-wrapper "$PY" -c '
import os, subprocess, sys
import gi
gi.require_version("UMockdev", "1.0")
from gi.repository import UMockdev
tb = UMockdev.Testbed.new()
devices = {"AC": {"type": "Mains", "online": "0"},
           "BAT0": {"type": "Battery", "present": "1", "status": "Discharging", "technology": "Li-ion",
                    "energy_full": "60000000", "energy_full_design": "60000000", "energy_now": "51000000",
                    "power_now": "10000000", "voltage_now": "12000000", "voltage_min_design": "11400000",
                    "capacity": "85", "manufacturer": "Orvane", "model_name": "TESTBAT", "serial_number": "1"}}
paths = {d: tb.add_device("power_supply", d, None, [x for kv in a.items() for x in kv], [])
         for d, a in devices.items()}
history = os.path.join(tb.get_root_dir(), "upower-history")
os.makedirs(history)
env = dict(os.environ, UMOCKDEV_DIR=tb.get_root_dir(), UPOWER_HISTORY_DIR=history,
           LD_PRELOAD="libumockdev-preload.so.0")
daemon = subprocess.Popen(["/usr/libexec/upowerd", "-v"], env=env, stdout=open(sys.argv[1], "ab"),
                          stderr=subprocess.STDOUT)
print("UPOWERD_PID", daemon.pid, flush=True)
for line in sys.stdin:
    for op in line.split():
        dev, _, attribute = op.partition(":")
        if attribute:
            tb.set_attribute(paths[dev], *attribute.split("=", 1))
        else:
            tb.uevent(paths[dev], "change")
    print("OK", flush=True)
' "$HARNESS_DIR/upowerd.log" <"$ctl" >"$out" 2>&1 &
track $!
exec {ctl_fd}>"$ctl"
wait_for grep -q '^UPOWERD_PID' "$out" || fail "the controller did not start upowerd: $(tail -3 "$out")"
track "$(awk '/^UPOWERD_PID/{print $2}' "$out")"
wait_name system org.freedesktop.UPower 10 || fail "upowerd did not take the name: $(tail -5 "$HARNESS_DIR/upowerd.log")"
acked=0
umock() {
  echo "$*" >&"$ctl_fd"
  acked=$((acked + 1))
  WAIT_S=5 wait_for eval '[ "$(grep -c ^OK "$out")" = $acked ]' || fail "$*: $(tail -1 "$out")"
}

start_orvane "$app"
# 51 of 60 Wh at 10 W: 85 %, 5 h 6 min.
wait_log 'tip: Status: 85% Remaining | Time: 5:06 | Pwr: Battery' || fail "first display"

umock BAT0:energy_now=45000000 BAT0:capacity=75 BAT0
wait_log 'tip: Status: 75% Remaining | Time: 4:30 | Pwr: Battery' || fail "the discharge was not followed"

# Each plug event must be one display update. What came of it is all shown once a later,
# distinct change is: upowerd sends in order.
# plug WHAT STEPS FIRST LATER_STEPS LATER: after STEPS the first display matches FIRST; after
# LATER_STEPS, LATER is the second.
since() { grep 'tip:' "$log" | tail -n +$((before + 1)); }
plug() {
  local first=$3 later=$5 before
  before=$(grep -c 'tip:' "$log")
  umock $2
  wait_for eval 'since | head -1 | grep -q "$first"' || fail "$1 was not followed: $(since)"
  umock $4
  wait_for eval 'since | grep -qF "$later"' || fail "$1: no display of $later"
  [ "$(since | grep -n -m1 -F "$later" | cut -d: -f1)" = 2 ] || fail "$1 was not one update: $(since)"
}
plug "plugging in" "AC:online=1 BAT0:status=Charging AC BAT0" \
  'Status: 75% Charging.*Pwr: AC Power' \
  "BAT0:energy_now=45600000 BAT0:capacity=76 BAT0" 'Status: 76% Charging'
grep -q 'Charging | Time: .* | Pwr: Battery' "$log" && fail "showed charging on battery power"
plug unplugging "AC:online=0 BAT0:status=Discharging AC BAT0" \
  'Status: 76% Remaining | Time: 4:33 | Pwr: Battery' \
  "BAT0:energy_now=45000000 BAT0:capacity=75 BAT0" 'Status: 75% Remaining'
echo "PASS: real upowerd followed; plug and unplug one update each"
