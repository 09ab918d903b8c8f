#!/usr/bin/env bash
# The real program, ended by SIGTERM as a desktop session ends it: no question, and the
# window settings are saved. Runs inside run-with-upower-mock.sh (private buses, mocked
# UPower, offscreen platform, private XDG_CONFIG_HOME).
. "$(dirname "${BASH_SOURCE[0]}")/../harness-lib.sh"
values=(X=1500 Y=900 CompactX=3000 CompactY=450 Display=0 "Always On Top=-1")
start_seeded "${values[@]}"
wait_log 'tip: Status: 85% Remaining | Time: 2:05 | Pwr: Battery' || fail "no first display"

# Take the saved values away behind the program's back: only its shutdown can bring them back.
sed -i '/"X"=\|"Y"=\|"CompactX"=\|"CompactY"=\|"Always On Top"=/d' "$store"
stop_orvane
stored "${values[@]}" || fail "the window settings were not saved"
grep -q 'Are you sure' "$log" && fail "asked the exit question"
echo "PASS: SIGTERM saved the window settings"
