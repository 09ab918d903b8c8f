#!/usr/bin/env bash
# Under a window manager, with Always On Top checked: the low-battery message belongs to the
# visible window of ours (the main window, or with --compact the compact panel), stands in
# front of it and has the focus.
# Runs inside run-with-upower-mock.sh --x11 --battery 85:7530.
set -u
display=0 title=Orvane
[ "${1:-}" = --compact ] && { display=1 title="Orvane compact"; shift; }
app=${1:?usage: alarm_box_in_front.sh [--compact] PATH_TO_ORVANE}
. "$(dirname "${BASH_SOURCE[0]}")/../upower-mock.sh"
start_window_manager || exit 1

seed_store Display=$display X=1500 Y=750 "Always On Top=-1"
printf '"LowBatt"="1"\n"LowBattVal"="84"\n' >>"$store"
start_orvane "$app"
owner=$(wait_window "$pid" "$title") || fail "no window titled $title"
wait_for eval 'xprop -id "$owner" _NET_WM_STATE | grep -q _NET_WM_STATE_ABOVE' || fail "$title is not kept above"

mock_display "{'Percentage': <84.0>, 'TimeToEmpty': <int64 3000>}"
box=$(wait_window "$pid" Orvane "$owner") || fail "no low-battery message"
[ "$box" != "$owner" ] || fail "the message is the owner itself"
transient=$(xprop -id "$box" WM_TRANSIENT_FOR | awk '{print $NF}')
[ "$((transient))" = "$owner" ] || fail "the message belongs to $transient, not to $title ($owner)"

# Stacked above the owner (the stacking list runs bottom to top), and focused.
stacked_above() {
  local id n=0 at_owner=0 at_box=0
  for id in $(xprop -root _NET_CLIENT_LIST_STACKING | sed 's/.*# //; s/,/ /g'); do
    n=$((n + 1))
    [ "$((id))" = "$owner" ] && at_owner=$n
    [ "$((id))" = "$box" ] && at_box=$n
  done
  [ $at_owner -gt 0 ] && [ $at_box -gt $at_owner ]
}
wait_for stacked_above || fail "the message is beneath $title: $(xprop -root _NET_CLIENT_LIST_STACKING)"
focused() { [ "$(($(xprop -root _NET_ACTIVE_WINDOW | awk '{print $NF}')))" = "$box" ]; }
wait_for focused || fail "the message does not have the focus"

xdotool key --window "$box" Return
wait_for eval '[ "$(visible_window "$pid" Orvane "$owner")" != "$box" ]' || fail "Enter did not close the message"
echo "PASS: the low-battery message stands in front of $title and has the focus"
