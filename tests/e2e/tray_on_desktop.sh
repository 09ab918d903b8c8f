#!/usr/bin/env bash
# tray_on_desktop.sh DESKTOP [--panel-late] PROGRAM
# The tray icon on a real desktop's own panel (xfce, lxqt, gnome, sway, plasma: desktop-lib.sh),
# used as a person would. The program starts in Minimize mode, with no window of its own; with
# --panel-late it starts before the panel, as an autostart often does, and keeps its main
# window until there is a tray to reach the menu from. Then:
#  - its icon appears in the panel, where it follows the battery (found on the screen);
#  - a real right click on it opens the menu the panel draws from the program's exported menu,
#    and choosing "Full" there brings the main window back and stores the mode;
#  - a left click on the icon (GNOME: a double click, the extension's own rule) restores the
#    minimized main window; sway has no minimizing, there the click must reach the program.
set -u
desktop=${1:?usage: tray_on_desktop.sh DESKTOP [--panel-late] PROGRAM}
shift
late=0
[ "${1:-}" = --panel-late ] && { late=1; shift; }
app=${1:?usage: tray_on_desktop.sh DESKTOP [--panel-late] PROGRAM}
here=$(dirname "${BASH_SOURCE[0]}")
. "$here/../desktop-lib.sh"

for tool in $(desktop_packages "$desktop") Xvfb xdotool xprop import setpriv; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed (scripts/deps.sh test)"; exit 77; }
done
"$PY" -c 'import dbusmock' 2>/dev/null || { echo "SKIP: python3-dbusmock is not installed"; exit 77; }

log=/dev/null
fail() {
  echo "FAIL ($desktop): $*" >&2
  echo "--- program log" >&2; cat "$log" >&2
  for f in wm panel kded5; do
    [ -s "$HARNESS_DIR/$f.log" ] && { echo "--- $f.log (end)" >&2; tail -15 "$HARNESS_DIR/$f.log" >&2; }
  done
  if [ -n "${ORVANE_TEST_SHOTS:-}" ]; then
    mkdir -p "$ORVANE_TEST_SHOTS"
    import -window root "$ORVANE_TEST_SHOTS/$desktop-$late-fail.png" 2>/dev/null
  fi
  exit 1
}
step() { hlog "$desktop: $*"; }

desktop_session "$desktop" || fail "the session did not start"
seed_store X=6000 Y=6000 Display=2
desktop_start_wm || fail "the window manager did not start"
if [ $late = 0 ]; then
  desktop_start_panel && desktop_wait_host || fail "the panel did not start"
fi
step "starting the program"
desktop_start_program "$app"

main_window() { px xdotool search --all --onlyvisible --pid "$pid" --name '^Orvane$' 2>/dev/null | tail -1; }
main_shown() { [ -n "$(main_window)" ]; }
if [ $late = 1 ]; then
  WAIT_S=20 wait_for main_shown || fail "with no tray yet, Minimize left no window to reach the menu from"
  step "starting the panel after the program"
  desktop_start_panel && desktop_wait_host || fail "the panel did not start"
fi
WAIT_S=30 wait_for item_registered "$pid" ||
  fail "the item never registered with the watcher: $(watcher_property RegisteredStatusNotifierItems)"
# Minimize: no window once the icon is there to click.
WAIT_S=20 wait_for eval '! main_shown' || fail "Minimize kept the main window with a tray there"

place=$(tray_icon_place) || fail "no icon of the program in the panel"
read -r ix iy <<<"$place"
step "icon at $ix,$iy"

# Right click: the panel draws the menu; then "Full", the fourth item, by keyboard. waybar's
# menu takes no keyboard on sway: there the pointer goes to the first item with a check box.
read -r ax ay aw ah < <(menu_area "$ix" "$iy")
area=${aw}x${ah}+${ax}+${ay}
shot_area() { import -window root png:- 2>/dev/null | convert - -crop "$area" +repage "$1"; }
shot_area "$HARNESS_DIR/menu-before.png"
opened=$(grep -c 'tray host opens the menu' "$log")
xdotool mousemove "$ix" "$iy"
xdotool click 3
WAIT_S=15 wait_for eval '[ "$(grep -c "tray host opens the menu" "$log")" -gt "$opened" ]' ||
  fail "a right click on the icon opened no menu"
menu_drawn() {
  shot_area "$HARNESS_DIR/menu.png" &&
    ! cmp -s <(convert "$HARNESS_DIR/menu-before.png" rgb:-) <(convert "$HARNESS_DIR/menu.png" rgb:-)
}
WAIT_S=10 wait_for menu_drawn || fail "the menu was not drawn"
step "menu open"
if [ "$desktop" = sway ]; then
  # The menu is what changed; its check boxes stand in a column near its left edge.
  read -r mw mh mx my < <(convert "$HARNESS_DIR/menu-before.png" "$HARNESS_DIR/menu.png" -compose difference \
    -composite -colorspace gray -threshold 8% -format '%@' info: | tr 'x+' '  ')
  box_top=$(convert "$HARNESS_DIR/menu.png" -crop "1x$((mh - 4))+$((mx + 14))+$((my + 4))" -colorspace gray \
    -depth 8 txt:- | awk -F'[,: ()]+' 'NR > 1 && $3 < 170 { print $2; exit }')
  [ -n "$box_top" ] || fail "no check box in the menu drawn at ${mw}x${mh}+$((ax + mx))+$((ay + my))"
  xdotool mousemove $((ax + mx + 60)) $((ay + my + 4 + box_top + 6))
  xdotool click 1
else
  xdotool key Down Down Down Down Return
fi
WAIT_S=15 wait_for grep -q 'menu checks: Full' "$log" || fail "choosing Full in the panel's menu did nothing"
WAIT_S=15 wait_for main_shown || fail "Full chose no main window"
WAIT_S=10 wait_for grep -q '"Display"="0"' "$store" || fail "Full was not stored: $(grep Display "$store")"
main=$(main_window)

# The left click, as this desktop's panel turns it into an activation.
clicks=(click 1)
[ "$desktop" = gnome ] && clicks=(click --repeat 2 --delay 120 1)
state_is() { px xprop -id "$main" WM_STATE | grep -q "window state: $1"; }
if [ "$desktop" = sway ]; then
  activated=$(grep -c 'tray event 3' "$log")
  xdotool mousemove "$ix" "$iy" "${clicks[@]}"
  WAIT_S=10 wait_for eval '[ "$(grep -c "tray event 3" "$log")" -gt "$activated" ]' ||
    fail "a left click on the icon did not reach the program"
else
  px xdotool windowminimize "$main"
  WAIT_S=10 wait_for state_is Iconic || fail "the main window did not minimize"
  xdotool mousemove "$ix" "$iy" "${clicks[@]}"
  WAIT_S=10 wait_for state_is Normal || fail "a left click on the icon did not restore the main window"
fi
main_shown || fail "the main window is gone after the left click"
echo "PASS ($desktop$([ $late = 1 ] && echo ', panel started after the program')): icon shown," \
  "the panel's menu chose Full, the left click restored the window"
