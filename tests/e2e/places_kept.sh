#!/usr/bin/env bash
# places_kept.sh DESKTOP PROGRAM
# Under a real window manager (desktop-lib.sh: gnome, plasma, lxqt, sway), the places stored
# are the places the windows stand at: started twice in Compact mode and ended by the session,
# the main window's place (hidden all along) and the compact panel's come back unchanged (sway
# puts the panel where it likes: the place the user chose stays stored); then the panel dragged
# by mouse to within 12 pixels of the left and of the top edge lands on that edge (under sway,
# which would throw it to the middle, it stays where it was let go), and the store holds where
# it stands.
set -u
desktop=${1:?usage: places_kept.sh DESKTOP PROGRAM}
app=${2:?usage: places_kept.sh DESKTOP PROGRAM}
here=$(dirname "${BASH_SOURCE[0]}")
. "$here/../desktop-lib.sh"

desktop_require "$desktop" Xvfb xdotool xprop

desktop_session "$desktop" || fail "the session did not start"
desktop_start_wm || fail "the window manager did not start"
pointer() { xdotool "$@"; }
if [ "$desktop" = sway ]; then
  # The program's windows are on XWayland, which lets in only the session's user; the pointer
  # is the one of the X display sway draws on.
  px xhost +si:localuser:root >/dev/null || fail "XWayland let no tool in"
  outer=$DISPLAY
  export DISPLAY=$SWAY_DISPLAY
  pointer() { DISPLAY=$outer xdotool "$@"; }
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
  for kv in X=1500 Y=6000 CompactX=9000 CompactY=6000; do
    stored "${kv%%=*}" "${kv#*=}" || fail "round $round: \"${kv%%=*}\" is not ${kv#*=}"
  done
done
# Full mode: the main window shown, settled and ended by the session keeps its stored place
# (under sway too, which shows it where it likes).
sed -i 's/^"Display"="1"/"Display"="0"/' "$store"
desktop_start_program "$app"
wait_window "$pid" Orvane >/dev/null || fail "Full mode: no main window"
wait_for grep -q 'main window settled' "$log" || fail "Full mode: the main window never settled"
stop_orvane
stored X 1500 && stored Y 6000 || fail "Full mode: the main window was stored elsewhere"
sed -i 's/^"Display"="0"/"Display"="1"/' "$store"

# steady_corner: the panel's corner once two reads a moment apart agree: a loaded window
# manager moves the panel some time after the pointer.
steady_corner() {
  local a b i
  b=$(win_geometry "$panel" | cut -d" " -f1-2)
  for i in $(seq 40); do
    a=$b
    sleep 0.05
    b=$(win_geometry "$panel" | cut -d" " -f1-2)
    [ "$a" = "$b" ] && break
  done
  echo "$b"
}
# drag_to X Y: presses on the icon, moves in steps as a hand does, and lets go with the panel's
# corner at X,Y.
drag_to() {
  local x y ox oy gx=6 gy=6 step px py
  read -r x y _ _ < <(win_geometry "$panel")
  pointer mousemove $((x + 6)) $((y + 6)) mousedown 1
  # Past the drag distance the move starts. A window manager may follow only from the first
  # motion it saw (sway): the pointer's offset in the panel is then taken from there.
  pointer mousemove $((x + 16)) $((y + 16))
  WAIT_S=1 wait_for eval '[ "$(win_geometry "$panel" | cut -d" " -f1-2)" != "$x $y" ]'
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
stored_at() { stored CompactX $(($1 * 15)) && stored CompactY $(($2 * 15)); }
start_panel
# An edge is the work area's: a window manager may keep windows off its own panels (GNOME's
# top bar).
area_x=0 area_y=0
area=$(xprop -root _NET_WORKAREA) && [[ $area == *=* ]] &&
  read -r area_x area_y _ < <(sed 's/.*= //; s/,//g' <<<"$area")
for drop in "10 300 0 300" "300 10 300 0" "200 150 200 150"; do
  read -r dx dy wx wy <<<"$drop"
  [ "$wx" = 0 ] && wx=${area_x:-0}
  [ "$wy" = 0 ] && wy=${area_y:-0}
  # sway centres a floating X window that asks to move: the panel stays where it was let go.
  [ "$desktop" = sway ] && { wx=$dx wy=$dy; }
  drag_to "$dx" "$dy"
  wait_for at "$panel" "$wx" "$wy" || fail "dropped at $dx,$dy, the panel stands at $(win_geometry "$panel"), not at $wx,$wy"
  wait_for stored_at "$wx" "$wy" || fail "dropped at $dx,$dy, the store does not hold $wx,$wy"
done
echo "PASS ($desktop): the places stored are where the windows stand, twice; edge drops land"
