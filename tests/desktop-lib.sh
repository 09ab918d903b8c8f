# shellcheck shell=bash
# Real desktops inside Xvfb for the end-to-end tests, each with its own panel as the tray host:
#   . "$(dirname "${BASH_SOURCE[0]}")/desktop-lib.sh"
#   desktop_up xfce TOOL...        # Xvfb 1600x1000, private buses, mocked UPower, private HOME,
#                                  # the window manager
#   desktop_start_panel; desktop_wait_host
# Desktops: xfce (xfwm4 + xfce4-panel), lxqt (openbox + lxqt-panel), gnome (gnome-shell --x11
# with the AppIndicator extension), sway (sway + waybar, as uid 65534: sway refuses root; the
# program runs there through XWayland) and plasma (kwin_x11 + kded5's watcher + plasmashell).
# The window manager and the panel start apart, so a test can start the program in between.
. "$(dirname "${BASH_SOURCE[0]}")/upower-mock.sh"

DESKTOP_USER=65534
SCREEN_W=1600 SCREEN_H=1000
# Each desktop's window manager and panel (GNOME's is the extension, which comes with the shell).
declare -A DESKTOP_WM=([xfce]="xfwm4 --compositor=off" [lxqt]=openbox [gnome]="gnome-shell --x11 --replace"
  [sway]=sway [plasma]="kwin_x11 --replace")
declare -A DESKTOP_PANEL=([xfce]=xfce4-panel [lxqt]=lxqt-panel [gnome]="" [sway]=waybar [plasma]="plasmashell --no-respawn")

# desktop_up DESKTOP TOOL...: the session and the window manager; a skip where the desktop or
# a tool is not installed.
desktop_up() {
  needs ${DESKTOP_WM[$1]%% *} ${DESKTOP_PANEL[$1]%% *} "${@:2}"
  [ "$1" != plasma ] || needs kded5
  needs_py 'import dbusmock' python3-dbusmock
  desktop_session "$1" || fail "the session did not start"
  desktop_start_wm || fail "the window manager did not start"
}

# desktop_session NAME: everything a desktop needs before its programs start.
desktop_session() {
  DESKTOP=$1
  export HOME=$HARNESS_DIR/home XDG_CONFIG_HOME=$HARNESS_DIR/home/.config
  export XDG_DATA_HOME=$HARNESS_DIR/home/.local/share XDG_CACHE_HOME=$HARNESS_DIR/home/.cache
  export XDG_RUNTIME_DIR=$HARNESS_DIR/run
  mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_CACHE_HOME" "$XDG_RUNTIME_DIR"
  chmod 700 "$XDG_RUNTIME_DIR"
  unset QT_QPA_PLATFORM QT_QPA_PLATFORMTHEME DESKTOP_SESSION WAYLAND_DISPLAY XDG_CURRENT_DESKTOP
  start_xvfb ${SCREEN_W}x${SCREEN_H}x24 || return 1
  # The desktops start helpers (settings daemons, portals) through the bus. sway runs as an
  # ordinary user whose helpers, started by a bus running as root, could not serve it.
  if [ "$DESKTOP" = sway ]; then
    start_private_bus session || return 1
  else
    HARNESS_SERVICEDIR=/usr/share/dbus-1/services start_private_bus session || return 1
  fi
  start_upower_mock true && mock_discharging 85 7530 || return 1
  # ORVANE_BUS_TRACE=1 keeps a trace of the session bus, for a failure to be read afterwards.
  if [ -n "${ORVANE_BUS_TRACE:-}" ]; then
    dbus-monitor --session >"$HARNESS_DIR/session-bus.txt" 2>&1 & track $!
  fi
  case $DESKTOP in
    xfce)
      export XDG_CURRENT_DESKTOP=XFCE
      mkdir -p "$XDG_CONFIG_HOME/xfce4/xfconf/xfce-perchannel-xml"
      cp /etc/xdg/xfce4/panel/default.xml "$XDG_CONFIG_HOME/xfce4/xfconf/xfce-perchannel-xml/xfce4-panel.xml" ;;
    lxqt)
      export XDG_CURRENT_DESKTOP=LXQt
      mkdir -p "$XDG_CONFIG_HOME/lxqt"
      cp /usr/share/lxqt/panel.conf "$XDG_CONFIG_HOME/lxqt/panel.conf" ;;
    gnome)
      export XDG_CURRENT_DESKTOP=GNOME XDG_SESSION_TYPE=x11 GNOME_SHELL_SESSION_MODE=user
      gsettings set org.gnome.shell enabled-extensions "['ubuntu-appindicators@ubuntu.com']" &&
        gsettings set org.gnome.shell welcome-dialog-last-shown-version '999' || return 1 ;;
    sway)
      export XDG_CURRENT_DESKTOP=sway XDG_SESSION_TYPE=wayland WLR_BACKENDS=x11 WLR_RENDERER=pixman
      export WLR_LIBINPUT_NO_DEVICES=1
      chmod 755 "$HARNESS_DIR"
      AS_USER=(setpriv --reuid=$DESKTOP_USER --regid=$DESKTOP_USER --clear-groups)
      chown -R $DESKTOP_USER:$DESKTOP_USER "$HOME" "$XDG_RUNTIME_DIR" ;;
    plasma)
      export XDG_CURRENT_DESKTOP=KDE KDE_SESSION_VERSION=5 KDE_FULL_SESSION=true XDG_SESSION_TYPE=x11
      export DESKTOP_SESSION=plasma
      # As startplasma does: what the bus starts (kded5's helpers) sees the session.
      dbus-update-activation-environment XDG_CURRENT_DESKTOP KDE_SESSION_VERSION KDE_FULL_SESSION \
        XDG_SESSION_TYPE DESKTOP_SESSION DISPLAY HOME XDG_CONFIG_HOME XDG_DATA_HOME XDG_CACHE_HOME \
        XDG_RUNTIME_DIR ;;
    *) hlog "unknown desktop $DESKTOP"; return 1 ;;
  esac
}

# desktop_start_wm: the window manager (gnome-shell and sway also bring their panel's host
# along: for them the panel is the AppIndicator extension or waybar).
desktop_start_wm() {
  if [ "$DESKTOP" = sway ]; then
    cat >"$HARNESS_DIR/sway.config" <<EOF
output * resolution ${SCREEN_W}x${SCREEN_H} position 0,0 bg #204060 solid_color
xwayland enable
exec printenv DISPLAY >$XDG_RUNTIME_DIR/sway.display
EOF
    "${AS_USER[@]}" sway ${SWAY_DEBUG:+-d} -c "$HARNESS_DIR/sway.config" >"$HARNESS_DIR/wm.log" 2>&1 & track $!
    WAIT_S=30 wait_for test -s "$XDG_RUNTIME_DIR/sway.display" ||
      { hlog "sway did not start: $(tail -5 "$HARNESS_DIR/wm.log")"; return 1; }
    SWAY_DISPLAY=$(cat "$XDG_RUNTIME_DIR/sway.display")
    WAYLAND_SOCKET_NAME=$(cd "$XDG_RUNTIME_DIR" && ls wayland-? | head -1)
    APP_ENV=(DISPLAY="$SWAY_DISPLAY" WAYLAND_DISPLAY="$WAYLAND_SOCKET_NAME")
    return 0
  fi
  ${DESKTOP_WM[$DESKTOP]} >"$HARNESS_DIR/wm.log" 2>&1 & track $!
  WAIT_S=60 wait_for wm_ready || { hlog "$DESKTOP's window manager did not start: $(tail -5 "$HARNESS_DIR/wm.log")"; return 1; }
  if [ "$DESKTOP" = plasma ]; then
    # Its watcher is kded5's: loaded only in a full session, started before the shell.
    kded5 >"$HARNESS_DIR/kded5.log" 2>&1 & track $!
    wait_name session org.kde.StatusNotifierWatcher 60 ||
      { hlog "kded5 brought no StatusNotifierWatcher: $(tail -5 "$HARNESS_DIR/kded5.log")"; return 1; }
  fi
}

# desktop_start_panel: the panel with its tray; PANEL_PID is what stops it again.
desktop_start_panel() {
  local cmd
  read -ra cmd <<<"${DESKTOP_PANEL[$DESKTOP]}"
  [ ${#cmd[@]} = 0 ] && return 0
  if [ "$DESKTOP" = sway ]; then
    cat >"$HARNESS_DIR/waybar.json" <<'EOF'
{ "layer": "top", "position": "top", "height": 30, "modules-left": ["sway/workspaces"],
  "modules-right": ["tray", "clock"], "tray": { "icon-size": 18, "spacing": 8 } }
EOF
    printf '* { font-family: sans-serif; font-size: 13px; } window#waybar { background: #303030; color: #ffffff; }\n' \
      >"$HARNESS_DIR/waybar.css"
    cmd=(env WAYLAND_DISPLAY="$WAYLAND_SOCKET_NAME" waybar -c "$HARNESS_DIR/waybar.json" -s "$HARNESS_DIR/waybar.css")
  fi
  "${AS_USER[@]}" "${cmd[@]}" >"$HARNESS_DIR/panel.log" 2>&1 &
  PANEL_PID=$!
  track "$PANEL_PID"
}

watcher_property() {
  gdbus call --session -d org.kde.StatusNotifierWatcher -o /StatusNotifierWatcher \
    -m org.freedesktop.DBus.Properties.Get org.kde.StatusNotifierWatcher "$1" 2>/dev/null
}
# item_registered PID: the program's item is in the watcher's list, by its name or its path.
item_registered() {
  local owner
  owner=$(gdbus call --session -d org.freedesktop.DBus -o /org/freedesktop/DBus \
    -m org.freedesktop.DBus.GetNameOwner "org.kde.StatusNotifierItem-$1-1" 2>/dev/null | cut -d"'" -f2)
  [ -n "$owner" ] && watcher_property RegisteredStatusNotifierItems |
    grep -qE "StatusNotifierItem-$1-|'$owner[/@]"
}
overview_active() {
  gdbus call --session -d org.gnome.Shell -o /org/gnome/Shell -m org.freedesktop.DBus.Properties.Get \
    org.gnome.Shell OverviewActive 2>/dev/null | grep -q true
}
# overview_left: the overview is not open, or an Escape closes it.
overview_left() {
  overview_active || return 0
  xdotool key Escape
  WAIT_S=5 wait_for eval '! overview_active'
}

# desktop_wait_host: a StatusNotifierHost is there, and the desktop settled enough to click.
desktop_wait_host() {
  WAIT_S=90 wait_for eval 'watcher_property IsStatusNotifierHostRegistered | grep -q true' ||
    { hlog "no StatusNotifierHost on $DESKTOP: $(tail -5 "$HARNESS_DIR/panel.log" "$HARNESS_DIR/wm.log" 2>/dev/null)"; return 1; }
  if [ "$DESKTOP" = gnome ]; then
    # GNOME starts in the overview, which takes the clicks: leave it as a person would.
    WAIT_S=30 wait_for overview_active
    WAIT_S=30 wait_for overview_left || { hlog "GNOME's overview stays open"; return 1; }
  fi
}

# px CMD...: an X tool on the program's display (XWayland under sway, which lets in only the
# session's user).
px() { "${AS_USER[@]}" env DISPLAY="${SWAY_DISPLAY:-$DISPLAY}" "$@"; }

# desktop_start_program PROGRAM: start_orvane as the desktop's user, on a fresh $log.
desktop_start_program() {
  : >"$log"
  [ "$DESKTOP" = sway ] && chown -R $DESKTOP_USER:$DESKTOP_USER "$XDG_CONFIG_HOME" "$log"
  start_orvane "$1"
}

# green_pixels FILE / amber_pixels FILE: "X Y" of each green pixel (a battery over half full, as
# the program draws it) or amber one (under half) in the strips along the top and bottom edges,
# where panels are; sorted.
green_pixels() { coloured_pixels "$1" 'g >= 120 and r <= 90 and b <= 90 and g - r >= 80'; }
amber_pixels() { coloured_pixels "$1" 'r >= 180 and 110 <= g <= 210 and b <= 100 and r - g >= 25'; }
coloured_pixels() {
  import -window root -depth 8 rgb:- 2>/dev/null | "$PY" -c '
import sys
w, h, top, bottom = (int(a) for a in sys.argv[1:5])
cond = eval("lambda r, g, b: " + sys.argv[5])
data = sys.stdin.buffer.read()
if len(data) < w * h * 3:
    sys.exit(1)
rows = list(range(top)) + list(range(h - bottom, h))
out = ("%d %d\n" % (x, y) for y in rows for x in range(w) for i in [3 * (y * w + x)]
       if cond(*data[i:i + 3]))
sys.stdout.write("".join(sorted(out)))
' $SCREEN_W $SCREEN_H 44 60 "$2" >"$1"
}

# centre_of FILE: "X Y" of the largest cluster of the pixels listed (stray ones, such as the
# coloured fringes of anti-aliased text, are left out); fails when it is under 6 pixels.
centre_of() {
  sort -n -k1,1 -k2,2 "$1" | awk '
    function close_cluster() { if (n > bestn) { bestn = n; bx = sx / n; by = sy / n } n = sx = sy = 0 }
    NR > 1 && ($1 - px > 3) { close_cluster() }
    { n++; sx += $1; sy += $2; px = $1 }
    END { close_cluster(); if (bestn < 6) exit 1; printf "%d %d\n", bx, by }'
}

# tray_icon_place: "X Y" of the program's tray icon, found on the screen as a person finds it:
# a green battery in a panel that turns amber where it was green when the battery falls under
# half, and green there again above it. Other icons (a green launcher, the desktop's own
# applets, anti-aliased text) do not follow the battery. Each change waits for the panel to
# have read the icon and to stand still: GNOME's extension drops a picture that comes while it
# still converts the last one, and Plasma slides new icons in.
tray_icon_place() {
  local full=$HARNESS_DIR/green.txt low=$HARNESS_DIR/amber.txt turned=$HARNESS_DIR/turned.txt
  local attempt reads=0
  reads_now() { grep -c 'tray icon read by' "$log"; }
  green_still() {
    green_pixels "$full.now" && [ -s "$full.now" ] && cmp -s "$full" "$full.now" ||
      { mv "$full.now" "$full" 2>/dev/null; return 1; }
  }
  icon_turned() { amber_pixels "$low" && LC_ALL=C comm -12 "$full" "$low" >"$turned" && centre_of "$turned"; }
  for attempt in 1 2 3 4; do
    [ "$attempt" = 1 ] ||
      mock_display "{'Percentage': <85.0>, 'TimeToEmpty': <int64 7530>}" || return 1
    WAIT_S=30 wait_for eval '[ "$(reads_now)" -gt "$reads" ]' || { hlog "no panel read the icon"; return 1; }
    reads=$(reads_now)
    : >"$full"
    WAIT_S=30 wait_for green_still || { hlog "nothing green stands still in the panels"; return 1; }
    mock_display "{'Percentage': <$((46 - attempt)).0>, 'TimeToEmpty': <int64 5400>}" || return 1
    WAIT_S=15 wait_for icon_turned && break
    hlog "no green icon in the panels turned amber (attempt $attempt)"
    [ "$attempt" = 4 ] && return 1
    reads=$(reads_now)
  done
  cp "$turned" "$low"
  mock_display "{'Percentage': <85.0>, 'TimeToEmpty': <int64 7530>}" || return 1
  icon_green() { green_pixels "$full" && LC_ALL=C comm -12 "$low" "$full" >"$turned" && centre_of "$turned"; }
  WAIT_S=30 wait_for icon_green || { hlog "the amber icon did not turn green again"; return 1; }
  centre_of "$turned"
}
