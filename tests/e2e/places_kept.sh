#!/usr/bin/env bash
# places_kept.sh DESKTOP PROGRAM
# Under a real window manager (desktop-lib.sh: gnome, plasma, lxqt, sway), the places stored
# are the places the windows stand at: started twice in Compact mode and ended by the session,
# the main window's place (hidden all along) and the compact panel's come back unchanged (sway
# puts the panel where it likes: the place the user chose stays stored); then the panel dragged
# by mouse to within 12 pixels of the left and of the top edge lands on that edge (under sway,
# which would throw it to the middle, it stays where it was let go), and the store holds where
# it stands.
desktop=$1
. "$(dirname "${BASH_SOURCE[0]}")/../desktop-lib.sh"

desktop_up "$desktop" Xvfb xdotool xprop
# The pointer is the one of the X display the desktop draws on.
outer=$DISPLAY
pointer() { DISPLAY=$outer xdotool "$@"; }
if [ "$desktop" = sway ]; then
  # The program's windows are on XWayland, which lets in only the session's user.
  px xhost +si:localuser:root >/dev/null || fail "XWayland let no tool in"
  export DISPLAY=$SWAY_DISPLAY
fi
# GNOME starts in its overview, which takes the clicks.
[ "$desktop" = gnome ] && { desktop_wait_host || fail "GNOME did not leave its overview"; }
seed_store Display=1 X=1500 Y=6000 CompactX=9000 CompactY=6000

# start_panel: the program's compact panel, where it was put (anywhere under sway).
start_panel() {
  desktop_start_program "$app"
  panel=$(wait_window "$pid" "Orvane compact") || fail "no compact panel"
  [ "$desktop" = sway ] || wait_for at "$panel" 600 400 || fail "the panel stands at $(win_geometry "$panel"), not at 600,400"
}
for round in 1 2; do
  # Once the panel is where it was put, the session ends.
  start_panel
  stop_orvane
  stored X=1500 Y=6000 CompactX=9000 CompactY=6000 || fail "round $round: a place stored changed"
done
# Full mode: the main window shown, settled and ended by the session keeps its stored place
# (under sway too, which shows it where it likes).
store_set Display=0
desktop_start_program "$app"
wait_window "$pid" Orvane >/dev/null || fail "Full mode: no main window"
wait_log 'main window settled' || fail "Full mode: the main window never settled"
stop_orvane
stored X=1500 Y=6000 || fail "Full mode: the main window was stored elsewhere"
store_set Display=1

# steady_corner: the panel's corner once two reads a moment apart agree: a loaded window
# manager moves the panel some time after the pointer.
corner() { win_geometry "$panel" | cut -d" " -f1-2; }
steady() { local last=$now; now=$(corner); [ "$now" = "$last" ]; }
steady_corner() { local now=; WAIT_S=2 wait_for steady; echo "$now"; }
# drag_to X Y: presses on the icon, moves in steps as a hand does, and lets go with the panel's
# corner at X,Y (the harness's drag_to, with a window manager's lag in mind). Not shared: its
# last correction would hide a panel that trails the pointer, which the harness's must catch.
drag_to() {
  local x y ox oy gx=6 gy=6 step px py
  read -r x y _ _ < <(win_geometry "$panel")
  pointer mousemove $((x + 6)) $((y + 6)) mousedown 1
  # Past the drag distance the move starts. A window manager may follow only from the first
  # motion it saw (sway): the pointer's offset in the panel is then taken from there.
  pointer mousemove $((x + 16)) $((y + 16))
  WAIT_S=1 wait_for eval '! at "$panel" "$x" "$y"'
  read -r ox oy < <(steady_corner)
  [ "$ox $oy" != "$x $y" ] && { gx=$((x + 16 - ox)) gy=$((y + 16 - oy)); }
  for step in 1 2 3 4 5 6 7 8; do
    pointer mousemove $((x + 16 + ($1 + gx - x - 16) * step / 8)) $((y + 16 + ($2 + gy - y - 16) * step / 8))
    sleep 0.03
  done
  # As a person would: look where the panel is, and move the rest of the way before letting go.
  read -r px py < <(steady_corner)
  if [ "$px $py" != "$1 $2" ]; then
    pointer mousemove_relative -- $(($1 - px)) $(($2 - py))
    WAIT_S=2 wait_for at "$panel" "$1" "$2"
  fi
  pointer mouseup 1
}
start_panel
# An edge is the work area's: a window manager may keep windows off its own panels (GNOME's
# top bar).
area=$(xprop -root _NET_WORKAREA) && [[ $area == *=* ]] &&
  read -r EDGE_X EDGE_Y _ < <(sed 's/.*= //; s/,//g' <<<"$area")
# sway centres a floating X window that asks to move: the panel stays where it was let go.
[ "$desktop" = sway ] && DROPS_STAY=1
edge_drops
echo "PASS ($desktop): the places stored are where the windows stand, twice; edge drops land"
