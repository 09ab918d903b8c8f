# shellcheck shell=bash
# A Wayland session for the end-to-end tests: weston (x11 backend) inside a private Xvfb, with
# XWayland, driven by a real pointer (xdotool on the Xvfb). Source it after harness-lib.sh:
#   . "$here/harness-lib.sh"; . "$here/weston-lib.sh"
#   start_weston_xwayland            # exports WAYLAND_DISPLAY, DISPLAY (XWayland), OUTER_DISPLAY
#   weston_window_place "$wid"       # "X Y W H" of the window's client area as weston shows it
#   weston_drag 70 70 370 270        # press, move like a person, release (weston's coordinates)
# Needs weston, xwayland, xvfb, x11-utils, xdotool (imagemagick for weston_screenshot).
# weston runs with --debug for `weston-debug scene-graph`, the only honest source of where a
# window is on the screen: under weston 10 XWayland's own idea of a window's place can differ
# from it (by the frame's 32 px shadow margin, or wholly for windows weston does not manage).

[ -n "${WESTON_LIB_LOADED:-}" ] && return 0
WESTON_LIB_LOADED=1

# weston_scene: weston's scene graph, once (views with their screen positions).
weston_scene() { timeout 5 weston-debug scene-graph 2>/dev/null; }

# weston_cursor -> "X Y" of the cursor view (pointer position minus the cursor's hotspot).
weston_cursor() {
  weston_scene | awk '/role wl_pointer-cursor/{c=1; next}
    c && /position:/{gsub(/[(),]/, " "); print $2, $3; exit}'
}

# start_weston_xwayland [WxH]: weston's output window (default 1024x640) at the top left of a
# larger Xvfb (started here unless DISPLAY is already one of ours, e.g. run-with-upower-mock.sh
# --x11). Returns once XWayland's window manager runs and weston tracks the pointer. Exports
# WAYLAND_DISPLAY, DISPLAY (XWayland, for the program), OUTER_DISPLAY (the Xvfb), WESTON_PID,
# WESTON_LOG, WESTON_WIDTH/HEIGHT and WESTON_OUTER_X/Y (where weston's screen starts on the Xvfb;
# the x11 backend runs at scale 1, so a point moves by that offset and nothing else).
# WESTON_BACKEND=headless: weston's headless output instead (no Xvfb, no pointer: nothing to
# drive, only windows to read).
start_weston_xwayland() {
  local size=${1:-1024x640} log=$HARNESS_DIR/weston.log win backend=${WESTON_BACKEND:-x11} before x y
  if [ "$backend" = x11 ] && { [ -z "${XVFB_PID:-}" ] || [ -z "${DISPLAY:-}" ]; }; then
    start_xvfb 1280x800x24 || return 1
  fi
  OUTER_DISPLAY=${DISPLAY:-}
  export OUTER_DISPLAY
  if [ -z "${XDG_RUNTIME_DIR:-}" ] || [ "${XDG_RUNTIME_DIR#"$HARNESS_DIR"}" = "$XDG_RUNTIME_DIR" ]; then
    export XDG_RUNTIME_DIR=$HARNESS_DIR/run
  fi
  mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
  # --idle-time=0: weston's default 300 s idle would fade the screen and lock it mid-test.
  # The xwm-wm-x11 scope puts XWayland's window manager events (configure requests,
  # _NET_WM_MOVERESIZE, ...) in the log, to read when a run fails.
  weston --backend="$backend-backend.so" --use-pixman --xwayland --debug --no-config --idle-time=0 \
    --width="${size%x*}" --height="${size#*x}" --socket=wl-orvane \
    --log="$log" --logger-scopes=log,xwm-wm-x11 >"$HARNESS_DIR/weston.out" 2>&1 &
  WESTON_PID=$!
  track "$WESTON_PID"
  # XWayland starts on the first X connection; the display is known (and listening) from here.
  WAIT_S=15 wait_for grep -q 'xserver listening on display' "$log" ||
    { hlog "weston did not start: $(tail -3 "$HARNESS_DIR/weston.out" "$log")"; return 1; }
  WESTON_LOG=$log WESTON_WIDTH=${size%x*} WESTON_HEIGHT=${size#*x}
  export WESTON_PID WESTON_LOG WESTON_WIDTH WESTON_HEIGHT WAYLAND_DISPLAY=wl-orvane
  if [ "$backend" = x11 ]; then
    win=$(sed -n 's/.*x11 output .*window id \([0-9]*\).*/\1/p' "$log" | head -1)
    read -r WESTON_OUTER_X WESTON_OUTER_Y _ < <(DISPLAY=$OUTER_DISPLAY win_geometry "$win")
    export WESTON_OUTER_X WESTON_OUTER_Y WESTON_OUTPUT_WINDOW=$win
  fi
  DISPLAY=$(sed -n 's/.*xserver listening on display \(:[0-9]*\).*/\1/p' "$log" | tail -1)
  export DISPLAY
  # The program must choose for itself (xcb, as WAYLAND_DISPLAY and DISPLAY are both set).
  unset QT_QPA_PLATFORM
  # A window mapped before the window manager runs is never managed.
  WAIT_S=15 wait_for wm_ready ||
    { hlog "XWayland's window manager did not start: $(tail -3 "$log")"; return 1; }
  # The shell's panel sets the work area that placement uses.
  WAIT_S=10 wait_for eval 'weston_scene | grep -q "panel for output"' ||
    { hlog "weston's desktop shell did not start"; return 1; }
  [ "$backend" = headless ] && { hlog "weston (headless) on $WAYLAND_DISPLAY, XWayland on $DISPLAY"; return 0; }
  # The x11 backend ignores XTest motion until the pointer has entered its window (it was
  # created under the pointer): leave it and come back somewhere the cursor is not already (its
  # view sits a hotspot above-left of the pointer), then wait until weston's cursor has followed.
  before=$(weston_cursor)
  x=$((WESTON_WIDTH - 20)) y=$((WESTON_HEIGHT - 20))
  [ "${before%% *}" -ge $((x - 40)) ] 2>/dev/null && x=$((x - 80)) y=$((y - 80))
  DISPLAY=$OUTER_DISPLAY xdotool mousemove $((WESTON_OUTER_X + WESTON_WIDTH + 5)) $((WESTON_OUTER_Y + WESTON_HEIGHT + 5))
  DISPLAY=$OUTER_DISPLAY xdotool mousemove $((WESTON_OUTER_X + x)) $((WESTON_OUTER_Y + y))
  WAIT_S=5 wait_for eval '[ "$(weston_cursor)" != "$before" ]' || { hlog "weston does not follow the pointer"; return 1; }
  hlog "weston on $WAYLAND_DISPLAY, XWayland on $DISPLAY, inside $OUTER_DISPLAY at $WESTON_OUTER_X,$WESTON_OUTER_Y"
}

# weston_drag X1 Y1 X2 Y2: drag (harness-lib.sh) in weston's coordinates, in 10 steps.
weston_drag() {
  DISPLAY=$OUTER_DISPLAY drag $((WESTON_OUTER_X + $1)) $((WESTON_OUTER_Y + $2)) \
    $((WESTON_OUTER_X + $3)) $((WESTON_OUTER_Y + $4)) 10
}

# x_frame_of WID -> the top-level ancestor of WID (weston's frame window), or WID itself.
x_frame_of() {
  local w=$1 p root
  root=$(xwininfo -root | awk '/Window id:/{print $4; exit}')
  while p=$(window_parent "$w") && [ -n "$p" ] && [ "$((p))" != 0 ] && [ "$((p))" != "$((root))" ]; do
    w=$p
  done
  echo "$w"
}

# weston_window_place WID -> "X Y W H": the client area of the X window WID as weston shows it.
# The view is found by title ("top-level window 'TITLE'") for windows weston manages as
# toplevels, else by the frame's size; fails while the window is not on screen, or when the
# match is ambiguous.
weston_window_place() {
  local wid=$1 frame fx fy fw fh cx cy cw ch rx ry title views found n
  frame=$(x_frame_of "$wid")
  read -r fx fy fw fh < <(win_geometry "$frame")
  read -r cx cy cw ch < <(win_geometry "$wid")
  rx=$((cx - fx)) ry=$((cy - fy))     # the client inside its frame
  title=$(xdotool getwindowname "$wid" 2>/dev/null)
  # "DESCRIPTION|X1 Y1 X2 Y2" per live view; a view of PID 0 is a closing window fading out.
  views=$(weston_scene | awk '
    /^\tView [0-9]+ \(/ { live = ($0 !~ /PID 0, surface ID 0,/); d = $0; next }
    live && /position:/ { gsub(/[(),]/, " "); print d "|" $2, $3, $5, $6; live = 0 }')
  found=$(printf '%s\n' "$views" | grep -F "top-level window '$title'" | _weston_sized "$fw" "$fh")
  [ -n "$found" ] ||
    found=$(printf '%s\n' "$views" | grep -F '[no description available]' | _weston_sized "$fw" "$fh")
  n=$(printf '%s' "$found" | grep -c .)
  [ "$n" = 1 ] || return 1
  read -r fx fy _ _ <<<"$found"
  echo "$((fx + rx)) $((fy + ry)) $cw $ch"
}

_weston_sized() {
  awk -F'|' -v w="$1" -v h="$2" '{ split($2, p, " "); if (p[3] - p[1] == w && p[4] - p[2] == h) print $2 }'
}

# wait_weston_window_at WID X Y: until weston shows WID's client area at X,Y.
wait_weston_window_at() {
  wait_for eval '[ "$(weston_window_place '"$1"' | cut -d" " -f1-2)" = "'"$2 $3"'" ]'
}

# weston_screenshot FILE: weston's screen as composited, from the Xvfb.
weston_screenshot() { import -display "$OUTER_DISPLAY" -window "$WESTON_OUTPUT_WINDOW" "$1"; }
