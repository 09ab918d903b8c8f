#!/usr/bin/env bash
# upower-mock-ctl.sh start [PCT SECONDS]: for a test running under run-with-upower-mock.sh.
# Starts a new mocked UPower on the wrapper's private system bus (after the test killed the
# first one), fills a discharging battery, prints the new mock's PID, and leaves it running:
# the wrapper stops it when the test ends.
set -u
[ -n "${HARNESS_DIR:-}" ] && [ -n "${HARNESS_SYSTEM_BUS:-}" ] || {
  echo "upower-mock-ctl: run me under run-with-upower-mock.sh" >&2; exit 2; }
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
. "$here/upower-mock.sh"
export DBUS_SYSTEM_BUS_ADDRESS=$HARNESS_SYSTEM_BUS

case ${1:-} in
  start)
    start_upower_mock true || exit 1
    hand_over "$UPOWER_MOCK_PID"
    mock_discharging "${2:-70}" "${3:-5000}" || exit 1
    echo "$UPOWER_MOCK_PID"
    ;;
  *) echo "usage: upower-mock-ctl.sh start [PCT SECONDS]" >&2; exit 2 ;;
esac
