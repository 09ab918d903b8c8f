#!/usr/bin/env bash
# Under a window manager, with Always On Top checked: the low-battery message belongs to the
# visible window of ours (the main window, or with --compact the compact panel), stands in
# front of it and has the focus.
# Runs inside run-with-upower-mock.sh --x11 --battery 85:7530.
display=0 title=Orvane
[ "$1" = --compact ] && display=1 title="Orvane compact"
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
stacking() { printf '%d\n' $(xprop -root _NET_CLIENT_LIST_STACKING | sed 's/.*# //; s/,/ /g'); }
stacked_above() { stacking | sed -n "/^$owner\$/,\$p" | tail -n +2 | grep -qx "$box"; }
wait_for stacked_above || fail "the message is beneath $title: $(xprop -root _NET_CLIENT_LIST_STACKING)"
wait_for active_is "$box" || fail "the message does not have the focus"

xdotool key --window "$box" Return
wait_for eval '[ "$(visible_window "$pid" Orvane "$owner")" != "$box" ]' || fail "Enter did not close the message"
echo "PASS: the low-battery message stands in front of $title and has the focus"
