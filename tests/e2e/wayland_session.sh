#!/usr/bin/env bash
# A Wayland session: weston with XWayland (its x11 backend inside Xvfb, so a real pointer
# drives it). The program picks XWayland on its own. The compact panel and the main window
# are shown at their stored places; the panel dragged by its icon goes where it is dropped and
# the store has that place at once; the main window moved by weston's title bar is stored at
# the exit (weston tells a window nothing of its moves); after a restart each is where it was
# left. Each window is checked in a start of its own mode: weston shows a window hidden and
# shown again 32 px up and left of where it was.
# With "headless", weston's headless output (nothing to drive there): each window is shown and
# the program ended, five times over, and its stored place must stay the one it was shown at.
# Runs inside run-with-upower-mock.sh (no --x11: weston-lib.sh starts its own Xvfb).
backend=$1
. "$(dirname "${BASH_SOURCE[0]}")/../weston-lib.sh"
needs weston Xwayland
WESTON_BACKEND=$backend start_weston_xwayland || exit 1

settled() { tail -n +$((mark + 1)) "$log" | grep -q 'main window settled'; }
# start_panel X Y: a start whose compact panel shows at X,Y (weston's pixels); start_main: one
# whose main window shows and settles.
start_panel() {
  start_orvane "$app"
  panel=$(wait_window "$pid" "Orvane compact") || fail "no compact panel"
  wait_weston_window_at "$panel" "$1" "$2" || fail "the panel is shown at $(weston_window_place "$panel"), not $1,$2"
}
start_main() {
  mark=$(grep -c '' "$log" 2>/dev/null)
  start_orvane "$app"
  main=$(wait_window "$pid" Orvane) || fail "no main window"
  wait_for weston_window_place "$main" || fail "weston never showed the main window"
  # The program has seen it stand where it was put, and so knows weston's frame around it.
  wait_for settled || fail "the main window never settled"
}
# Its client area a frame's border and title in from 200,100, where it was put (weston reports
# a window's place late, or 32 px up and left of it).
framed_at_200_100() {
  read -r mx my _ _ < <(weston_window_place "$main")
  [ "$mx" -ge 200 ] && [ "$mx" -le 216 ] && [ "$my" -ge 100 ] && [ "$my" -le 140 ]
}

# Shown and ended untouched, round after round: the places stay as they were stored.
rounds=$([ "$backend" = headless ] && echo 5 || echo 2)
seed_store CompactX=9000 CompactY=6000 X=3000 Y=1500 Display=1
for round in $(seq $rounds); do
  store_set Display=1
  start_panel 600 400
  stop_orvane
  stored CompactX=9000 CompactY=6000 || fail "round $round: an untouched panel's place changed"
  store_set Display=0
  start_main
  wait_for framed_at_200_100 || fail "round $round: the main window shows at $(weston_window_place "$main")"
  stop_orvane
  stored X=3000 Y=1500 || fail "round $round: an untouched main window's place changed"
done
if [ "$backend" = headless ]; then
  echo "PASS: untouched windows keep their stored places under weston's headless output"
  exit 0
fi

# The panel dragged by its icon follows, and the drop stores its new place at once; the next
# start shows it there.
store_set Display=1
start_panel 600 400
weston_drag 606 406 306 206
wait_weston_window_at "$panel" 300 200 || fail "dragged to 300,200, the panel is at $(weston_window_place "$panel")"
wait_stored CompactX=4500 CompactY=3000
stop_orvane
stored CompactX=4500 CompactY=3000 || fail "the exit did not keep the panel's place"
start_panel 300 200
stop_orvane

# The main window moved by weston's title bar: the exit stores its new place; the next start
# shows it there.
store_set Display=0
start_main
framed_at_200_100 || fail "the main window's frame is not at 200,100: its client area is at $mx,$my"
weston_drag $((mx + 60)) $((my - 12)) $((mx + 260)) $((my + 88))
wait_weston_window_at "$main" $((mx + 200)) $((my + 100)) || fail "the title bar did not move the main window"
stop_orvane
stored X=6000 Y=3000 || fail "the exit did not store the main window's new place"
start_main
wait_weston_window_at "$main" $((mx + 200)) $((my + 100)) || fail "after a restart the main window is at $(weston_window_place "$main")"
stop_orvane
echo "PASS: placed, dragged, moved by the title bar and stored where they really were, under weston"
