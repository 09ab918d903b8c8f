#!/usr/bin/env bash
# upower-mock-ctl.sh start [PCT SECONDS], under run-with-upower-mock.sh after the test killed
# the first mock: starts a new one with a discharging battery, prints its PID and leaves it to
# the wrapper to stop.
set -u
[ -n "${HARNESS_DIR:-}" ] && [ -n "${HARNESS_SYSTEM_BUS:-}" ] && [ "${1:-}" = start ] || {
  echo "usage, under run-with-upower-mock.sh: upower-mock-ctl.sh start [PCT SECONDS]" >&2; exit 2; }
. "$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)/upower-mock.sh"
export DBUS_SYSTEM_BUS_ADDRESS=$HARNESS_SYSTEM_BUS
start_upower_mock true || exit 1
hand_over "$UPOWER_MOCK_PID"
mock_discharging "${2:-70}" "${3:-5000}" || exit 1
echo "$UPOWER_MOCK_PID"
