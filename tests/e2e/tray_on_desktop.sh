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
desktop=$1 late=0
[ "$2" = --panel-late ] && late=1
. "$(dirname "${BASH_SOURCE[0]}")/../desktop-lib.sh"

desktop_up "$desktop" Xvfb xdotool xprop import setpriv
step() { hlog "$desktop: $*"; }
seed_store X=6000 Y=6000 Display=2
[ $late = 1 ] || { desktop_start_panel && desktop_wait_host || fail "the panel did not start"; }
step "starting the program"
desktop_start_program "$app"

# window_titled TITLE: the program's newest window of that title, on its own display.
window_titled() { px xdotool search --all --onlyvisible --pid "$pid" --name "^$1\$" 2>/dev/null | tail -1; }
main_shown() { [ -n "$(window_titled Orvane)" ]; }
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

# choose_from_panel_menu N BOX: a right click on the icon, then the Nth item of the menu the
# panel draws, by keyboard. waybar's menu takes no keyboard on sway: there the pointer goes to
# the item with the BOXth check box of the menu.
# Where a host's menu opens: beside the icon, from the screen's edge next to it.
ax=$((ix > 260 ? ix - 260 : 0)) ay=$((iy < SCREEN_H / 2 ? 0 : SCREEN_H - 320))
area=$((ax + 520 > SCREEN_W ? SCREEN_W - ax : 520))x320+${ax}+${ay}
shot_area() { import -window root png:- 2>/dev/null | convert - -crop "$area" +repage "$1"; }
menu_drawn() {
  shot_area "$HARNESS_DIR/menu.png" &&
    ! cmp -s <(convert "$HARNESS_DIR/menu-before.png" rgb:-) <(convert "$HARNESS_DIR/menu.png" rgb:-)
}
choose_from_panel_menu() {
  local opened mw mh mx my box_middle
  shot_area "$HARNESS_DIR/menu-before.png"
  opened=$(grep -c 'tray host opens the menu' "$log")
  xdotool mousemove "$ix" "$iy" click 3
  WAIT_S=15 wait_for eval '[ "$(grep -c "tray host opens the menu" "$log")" -gt "$opened" ]' ||
    fail "a right click on the icon opened no menu"
  WAIT_S=10 wait_for menu_drawn || fail "the menu was not drawn"
  if [ "$desktop" != sway ]; then
    xdotool key $(printf 'Down %.0s' $(seq "$1")) Return
    return
  fi
  # The menu is the largest patch that changed (a window's border may change too); its check
  # boxes stand in a column near its left edge.
  read -r mw mh mx my < <(convert "$HARNESS_DIR/menu-before.png" "$HARNESS_DIR/menu.png" -compose difference \
    -composite -colorspace gray -threshold 8% -define connected-components:verbose=true \
    -connected-components 8 null: | awk '/gray\(255\)|#FFFFFF|srgb\(255/ && $4 > best { best = $4; box = $2 }
      END { gsub(/[x+]/, " ", box); print box }')
  # A box's top and bottom edges are the rows that are dark all across its column.
  box_middle=$(convert "$HARNESS_DIR/menu.png" -crop "10x${mh}+$((mx + 10))+${my}" +repage -colorspace gray \
    -depth 8 txt:- | awk -F'[,: ()]+' -v want="$2" '
      NR > 1 { seen[$2] = 1; if ($3 >= 170) light[$2] = 1 }
      END { for (y = 0; y in seen; y++) if (!light[y] && (y == 0 || light[y - 1])) edge[++n] = y
            if (n >= 2 * want) print int((edge[2 * want - 1] + edge[2 * want]) / 2) }')
  [ -n "$box_middle" ] || fail "no check box $2 in the menu drawn at ${mw}x${mh}+$((ax + mx))+$((ay + my))"
  xdotool mousemove $((ax + mx + 60)) $((ay + my + box_middle)) click 1
}
# choose MODE DISPLAY TITLE N BOX: MODE chosen from the panel's menu (choose_from_panel_menu N
# BOX) is checked, stored as DISPLAY and shows a window TITLE; $shown is that window.
choose() {
  local title=$3
  choose_from_panel_menu "$4" "$5"
  WAIT_S=15 wait_log "menu checks: $1" || fail "choosing $1 in the panel's menu did nothing"
  WAIT_S=15 wait_for eval 'shown=$(window_titled "$title"); [ -n "$shown" ]' || fail "$1: no $3"
  WAIT_S=10 wait_stored Display="$2"
  step "$1 chosen"
}

# Minimize, from the panel's menu: Full brings the main window back.
choose Full 0 Orvane 4 1
main=$shown

# The left click, as this desktop's panel turns it into an activation.
clicks=(click 1)
[ "$desktop" = gnome ] && clicks=(click --repeat 2 --delay 120 1)
if [ "$desktop" = sway ]; then
  # sway has no minimizing: the click must reach the program all the same.
  activated=$(grep -c 'tray event 3' "$log")
  xdotool mousemove "$ix" "$iy" "${clicks[@]}"
  WAIT_S=10 wait_for eval '[ "$(grep -c "tray event 3" "$log")" -gt "$activated" ]' ||
    fail "a left click on the icon did not reach the program"
else
  xdotool windowminimize "$main"
  WAIT_S=10 wait_for state_is "$main" Iconic || fail "the main window did not minimize"
  xdotool mousemove "$ix" "$iy" "${clicks[@]}"
  WAIT_S=10 wait_for state_is "$main" Normal || fail "a left click on the icon did not restore the main window"
fi
main_shown || fail "the main window is gone after the left click"
step "left click restored the main window"

# Full, where opening the menu also brings the main window forward: the panel's menu must stay
# open for it. Compact, the fifth item, shows the compact panel.
xdotool key Escape  # GNOME's double click left the menu open
choose Compact 1 "Orvane compact" 5 2
panel=$shown

# Compact: the left click brings the panel forward, away from another window that has the focus.
if [ "$desktop" != sway ]; then
  focus_elsewhere
  xdotool mousemove "$ix" "$iy" "${clicks[@]}"
  WAIT_S=10 wait_for active_is "$panel" ||
    fail "a left click in Compact mode did not bring the panel forward ($(xprop -root _NET_ACTIVE_WINDOW))"
fi

# What Plasma's users see of the item: the tip under the program's name, the activation token
# answered, and a menu asked for with ContextMenu (older hosts) standing on the bottom panel.
if [ "$desktop" = plasma ]; then
  item=org.kde.StatusNotifierItem-$pid-1
  item_call() { gdbus call --session -d "$item" -o /StatusNotifierItem -m "$@"; }
  tip=$(item_call org.freedesktop.DBus.Properties.Get org.kde.StatusNotifierItem ToolTip)
  case $tip in *"'Orvane', 'Status: 85% Remaining | Time: 2:05 | Pwr: Battery'"*) ;;
    *) fail "the tip is not the status under the program's name: $tip" ;; esac
  item_call org.kde.StatusNotifierItem.ProvideXdgActivationToken "token-1" >/dev/null ||
    fail "ProvideXdgActivationToken was refused"
  menu=$(opens_window "$pid" item_call org.kde.StatusNotifierItem.ContextMenu "$ix" "$iy") ||
    fail "ContextMenu opened no menu"
  read -r _ _ _ work_bottom < <(xprop -root _NET_WORKAREA | tr -d ',' | awk '{ print $3, $4, $5, $6 + $4 }')
  read -r mx my mw mh < <(win_geometry "$menu")
  [ $((my + mh)) -le "$work_bottom" ] && [ "$my" -ge 0 ] ||
    fail "the menu at ${mw}x${mh}+$mx+$my covers the panel below $work_bottom"
  xdotool key Escape
fi
echo "PASS ($desktop$([ $late = 1 ] && echo ', panel started after the program')): icon shown;" \
  "Full and Compact chosen in the panel's menu; the left click restored the window"
