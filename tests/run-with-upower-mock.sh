#!/usr/bin/env bash
# run-with-upower-mock.sh [OPTIONS] -- COMMAND [ARGS...]
# Runs COMMAND against a private system bus with a mocked UPower, a private session bus, and
# Qt's offscreen platform or, with --x11, Xvfb and an XEmbed tray host. Everything it starts is
# stopped by PID afterwards; the exit code is COMMAND's. Options:
#   --battery PCT:SECONDS     a discharging battery (default 85:7530)
#   --no-battery              no device: the DisplayDevice stays Type 0, IsPresent false
#   --no-upower               no UPower on the bus
#   --upower-activatable      UPower installed but not running: its activation fails
#   --x11                     Xvfb and trayer; QT_QPA_PLATFORM=xcb
# COMMAND sees the bus addresses, XDG_RUNTIME_DIR, XDG_CONFIG_HOME, XDG_CACHE_HOME,
# QT_QPA_PLATFORM, HARNESS_DIR, HARNESS_SYSTEM_BUS, UPOWER_MOCK_PID (kill it to lose the
# daemon), and DISPLAY, TRAY_PID and XVFB_PID with --x11. A script that sources upower-mock.sh
# reuses this bus and HARNESS_DIR.
set -u
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
. "$here/upower-mock.sh"

battery=85:7530 x11=0 upower=1 activatable=0
while [ $# -gt 0 ]; do
  case $1 in
    --battery) battery=$2; shift 2 ;;
    --no-battery) battery=; shift ;;
    --no-upower) upower=0; shift ;;
    --upower-activatable) upower=0; activatable=1; shift ;;
    --x11) x11=1; shift ;;
    --) shift; break ;;
    *) echo "run-with-upower-mock: unknown option $1" >&2; exit 2 ;;
  esac
done
[ $# -gt 0 ] || { echo "usage: run-with-upower-mock.sh [OPTIONS] -- COMMAND [ARGS...]" >&2; exit 2; }

# A machine without the test tools skips (ctest's SKIP_RETURN_CODE 77) rather than fails;
# scripts/deps.sh test installs them all.
needs dbus-daemon gdbus
[ $upower = 0 ] || needs_py 'import dbusmock' python3-dbusmock
[ $x11 = 0 ] || needs Xvfb trayer xdotool

export XDG_RUNTIME_DIR=$HARNESS_DIR/run XDG_CONFIG_HOME=$HARNESS_DIR/config \
  XDG_CACHE_HOME=$HARNESS_DIR/cache
mkdir -p "$XDG_RUNTIME_DIR" "$XDG_CONFIG_HOME"; chmod 700 "$XDG_RUNTIME_DIR"
unset XDG_CURRENT_DESKTOP QT_QPA_PLATFORMTHEME DESKTOP_SESSION
start_private_bus session || exit 1      # never leave it unset: libdbus would autolaunch a bus
if [ $upower = 1 ]; then
  start_upower_mock true || exit 1
  export UPOWER_MOCK_PID HARNESS_SYSTEM_BUS
  [ -z "$battery" ] || mock_discharging "${battery%%:*}" "${battery#*:}" || exit 1
elif [ $activatable = 1 ]; then
  mkdir -p "$HARNESS_DIR/system-services"
  printf '[D-BUS Service]\nName=org.freedesktop.UPower\nExec=/bin/false\nUser=root\n' \
    >"$HARNESS_DIR/system-services/org.freedesktop.UPower.service"
  HARNESS_SERVICEDIR=$HARNESS_DIR/system-services start_private_bus system || exit 1
else
  start_private_bus system || exit 1
fi
if [ $x11 = 1 ]; then
  start_xvfb 1280x800x24 && start_tray_host || exit 1
  export TRAY_PID XVFB_PID QT_QPA_PLATFORM=xcb
else
  export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
fi
export HARNESS_DIR

# In the background: a trapped TERM then interrupts `wait` at once, where bash would defer it
# while a foreground child runs.
"$@" &
track $!
wait $!
