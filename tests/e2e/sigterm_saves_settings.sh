#!/usr/bin/env bash
# The real program, ended by SIGTERM as a desktop session ends it: no question, and the
# window settings are saved. Runs inside run-with-upower-mock.sh (private buses, mocked
# UPower, offscreen platform, private XDG_CONFIG_HOME).
set -u
app=${1:?usage: sigterm_saves_settings.sh PATH_TO_ORVANE}
store=$XDG_CONFIG_HOME/Merrowin/Orvane.reg
mkdir -p "$(dirname "$store")"
cat >"$store" <<'REG'
Windows Registry Editor Version 5.00

[HKEY_CURRENT_USER\Software\Merrowin\Orvane]

[HKEY_CURRENT_USER\Software\Merrowin\Orvane\Window]
"X"="1500"
"Y"="900"
"CompactX"="3000"
"CompactY"="450"
"Display"="0"
"Always On Top"="-1"

[HKEY_CURRENT_USER\Software\Merrowin\Orvane\Setting]
"First Use"="1"
REG

fail() { echo "FAIL: $*" >&2; echo "--- store:" >&2; cat "$store" >&2; exit 1; }

log=$HARNESS_DIR/orvane.log
QT_LOGGING_RULES="orvane.display.debug=true;orvane.messages.debug=true" "$app" >"$log" 2>&1 &
pid=$!
for _ in $(seq 100); do grep -q "tip:" "$log" && break; sleep 0.1; done
grep -q 'tip: Status: 85% Remaining | Time: 2:05 | Pwr: Battery' "$log" || fail "no first display: $(cat "$log")"

# Take the saved values away behind the program's back: only its shutdown can bring them back.
sed -i '/"X"=\|"Y"=\|"CompactX"=\|"CompactY"=\|"Always On Top"=/d' "$store"
kill -TERM "$pid"
for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$pid" 2>/dev/null && { kill -9 "$pid"; fail "still running 10 s after SIGTERM"; }
wait "$pid"
echo "exit status $?"

for want in '"X"="1500"' '"Y"="900"' '"CompactX"="3000"' '"CompactY"="450"' '"Always On Top"="-1"'; do
  grep -qF "$want" "$store" || fail "missing $want"
done
grep -q 'Are you sure' "$log" && fail "asked the exit question"
echo "PASS: SIGTERM saved the window settings"
