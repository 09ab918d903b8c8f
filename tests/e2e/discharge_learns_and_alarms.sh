#!/usr/bin/env bash
# The real program through a discharge 85 -> 84 -> 83 on a mocked UPower under Xvfb: each
# drop is learnt into "Data"/"Count", the tray tip follows each step, and the low-battery
# alarm at 84 % is shown exactly once, after the display shows 84 %.
# Runs inside run-with-upower-mock.sh --x11 --battery 85:7530.
. "$(dirname "${BASH_SOURCE[0]}")/../upower-mock.sh"

seed_store
printf '"LowBatt"="1"\n"LowBattVal"="84"\n' >>"$store"
start_orvane "$app"
wait_log 'tip: Status: 85% Remaining | Time: 2:05 | Pwr: Battery' || fail "no first display"
main=$(wait_window "$pid" Orvane) || fail "no main window"

# Time passes on battery: the learning step measures it (seconds here, minutes in real life).
sleep 3
# UPower gives no remaining time from here on: the learnt estimate takes over.
mock_display "{'Percentage': <84.0>, 'TimeToEmpty': <int64 0>}"
wait_log 'tip: Status: 84% Remaining' || fail "display did not follow to 84 %"
wait_log 'Low battery.' || fail "no low-battery message"
tip84=$(grep -n 'tip: Status: 84% Remaining' "$log" | head -1)
msg=$(grep -n 'Low battery.' "$log" | head -1)
[ "${tip84%%:*}" -lt "${msg%%:*}" ] || fail "the message came before the display showed 84 %"
echo "$tip84" | grep -Eq 'Time: 0:0[0-9] \| Pwr: Battery' || fail "no learnt estimate in the tip: $tip84"

# Answer the message with Enter, as a user would. The box carries the main window's title,
# so it is the visible "Orvane" window that is not the main one.
box=$(wait_window "$pid" Orvane "$main") || fail "the low-battery message box did not appear"
box_gone() { [ "$(visible_window "$pid" Orvane "$main")" != "$box" ]; }
for _ in $(seq 5); do
  xdotool windowfocus --sync "$box" >/dev/null 2>&1
  xdotool key --window "$box" Return >/dev/null 2>&1
  WAIT_S=2 wait_for box_gone && break
done
box_gone || fail "Enter did not close the low-battery message"

sleep 3
mock_display "{'Percentage': <83.0>}"
wait_log 'tip: Status: 83% Remaining' || fail "display did not follow to 83 %"
# One more change that alarms nothing: once it is shown, the one before has shown all it would.
mock_display "{'TimeToEmpty': <int64 3600>}"
wait_log 'tip: Status: 83% Remaining | Time: 1:00' || fail "the platform's time was not shown"
[ "$(grep -c 'Low battery.' "$log")" = 1 ] || fail "the low-battery message was not shown exactly once"

stop_orvane
count=$(sed -n 's/^"Count"="\(.*\)"$/\1/p' "$store")
data=$(sed -n 's/^"Data"="\(.*\)"$/\1/p' "$store")
[ "$count" = 2 ] || fail "Count is '$count', not 2"
# Two observations of roughly three to six seconds a point, in minutes.
awk -v d="$data" 'BEGIN { exit !(d > 0.03 && d < 0.2) }' || fail "Data '$data' is not the average of the two steps"
echo "PASS: Data=$data Count=$count, one low-battery message"
