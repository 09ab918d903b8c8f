#!/usr/bin/env bash
# run-with-upower-mock.sh [OPTIONS] -- COMMAND [ARGS...]
# Runs COMMAND against a private system bus holding a mocked UPower (python3-dbusmock), a private
# session bus, and either Qt's offscreen platform (default) or Xvfb + an XEmbed tray host (--x11).
# Everything it starts is stopped by PID when COMMAND ends or the wrapper gets TERM/INT/HUP; the
# exit code is COMMAND's. Meant for CTest:
#   add_test(NAME x COMMAND ${CMAKE_SOURCE_DIR}/tests/run-with-upower-mock.sh --battery 85:7530 -- $<TARGET_FILE:t>)
# Options:
#   --on-battery true|false   OnBattery of /org/freedesktop/UPower (default true)
#   --battery PCT:SECONDS     a discharging battery + DisplayDevice (default 85:7530)
#   --charging PCT:SECONDS    a charging battery + AC adapter instead
#   --no-battery              no device at all (DisplayDevice stays Type 0, IsPresent false)
#   --no-upower               no UPower on the private system bus (the name is absent)
#   --upower-activatable      like --no-upower, but the bus lists UPower as activatable (its
#                             activation fails): UPower installed but not running
#   --x11                     Xvfb (free display, no TCP) + trayer; QT_QPA_PLATFORM=xcb
# COMMAND sees: DBUS_SYSTEM_BUS_ADDRESS, DBUS_SESSION_BUS_ADDRESS, XDG_RUNTIME_DIR (0700),
#   XDG_CONFIG_HOME, QT_QPA_PLATFORM, HARNESS_DIR, UPOWER_MOCK_PID (kill it to test the daemon
#   going away), HARNESS_SYSTEM_BUS, and DISPLAY + TRAY_PID with --x11. A test script may source
#   upower-mock.sh itself: it then reuses this bus and HARNESS_DIR (stop_upower_mock /
#   start_upower_mock / mock_display work as they do here).
set -u
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
. "$here/upower-mock.sh"

on_battery=true battery=discharging:85:7530 x11=0 upower=1 activatable=0
while [ $# -gt 0 ]; do
  case $1 in
    --on-battery) on_battery=$2; shift 2 ;;
    --battery) battery=discharging:$2; shift 2 ;;
    --charging) battery=charging:$2; shift 2 ;;
    --no-battery) battery=none; shift ;;
    --no-upower) upower=0; shift ;;
    --upower-activatable) upower=0; activatable=1; shift ;;
    --x11) x11=1; shift ;;
    --) shift; break ;;
    *) echo "run-with-upower-mock: unknown option $1" >&2; exit 2 ;;
  esac
done
[ $# -gt 0 ] || { echo "usage: run-with-upower-mock.sh [OPTIONS] -- COMMAND [ARGS...]" >&2; exit 2; }

export XDG_RUNTIME_DIR=$HARNESS_DIR/run XDG_CONFIG_HOME=$HARNESS_DIR/config
mkdir -p "$XDG_RUNTIME_DIR" "$XDG_CONFIG_HOME"; chmod 700 "$XDG_RUNTIME_DIR"
unset XDG_CURRENT_DESKTOP QT_QPA_PLATFORMTHEME DESKTOP_SESSION
start_private_bus session || exit 1      # never leave it unset: libdbus would autolaunch a bus
if [ $upower = 1 ]; then
  start_upower_mock "$on_battery" || exit 1
  export UPOWER_MOCK_PID HARNESS_SYSTEM_BUS
  case $battery in
    discharging:*) IFS=: read -r _ pct secs <<<"$battery"; mock_discharging "$pct" "$secs" || exit 1 ;;
    charging:*) IFS=: read -r _ pct secs <<<"$battery"; mock_charging "$pct" "$secs" || exit 1 ;;
  esac
else
  if [ $activatable = 1 ]; then
    mkdir -p "$HARNESS_DIR/system-services"
    printf '[D-BUS Service]\nName=org.freedesktop.UPower\nExec=/bin/false\nUser=root\n' \
      >"$HARNESS_DIR/system-services/org.freedesktop.UPower.service"
    HARNESS_SERVICEDIR=$HARNESS_DIR/system-services start_private_bus system || exit 1
  else
    start_private_bus system || exit 1
  fi
fi
if [ $x11 = 1 ]; then
  start_xvfb 1280x800x24 || exit 1
  start_tray_host || exit 1
  export TRAY_PID
  export QT_QPA_PLATFORM=xcb
else
  export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
fi
export HARNESS_DIR

# Run COMMAND in the background and wait: a trapped TERM then interrupts `wait` at once (bash
# defers traps while a foreground child runs).
"$@" &
cmd_pid=$!
track "$cmd_pid"
wait "$cmd_pid"
exit $?
