# shellcheck shell=bash
# A Wayland session for the end-to-end tests: weston (x11 backend) inside a private Xvfb, with
# XWayland, driven by a real pointer (xdotool on the Xvfb):
#   . "$here/weston-lib.sh"
#   start_weston_xwayland            # exports WAYLAND_DISPLAY, DISPLAY (XWayland), OUTER_DISPLAY
#   weston_window_place "$wid"       # "X Y W H" of the window's client area as weston shows it
#   weston_drag 70 70 370 270        # press, move like a person, release (weston's coordinates)
# Needs weston, xwayland, xvfb, x11-utils, xdotool.
# weston runs with --debug for `weston-debug scene-graph`, the only honest source of where a
# window is on the screen: under weston 10 XWayland's own idea of a window's place can differ
# from it (by the frame's 32 px shadow margin, or wholly for windows weston does not manage).

. "$(dirname "${BASH_SOURCE[0]}")/harness-lib.sh"

# weston_scene: weston's scene graph, once (views with their screen positions).
weston_scene() { timeout 5 weston-debug scene-graph 2>/dev/null; }

# weston_cursor -> "X Y" of the cursor view (pointer position minus the cursor's hotspot).
weston_cursor() {
  weston_scene | awk '/role wl_pointer-cursor/{c=1; next}
    c && /position:/{gsub(/[(),]/, " "); print $2, $3; exit}'
}

# start_weston_xwayland: weston's 1024x640 output window at the top left of a larger Xvfb of its
# own, in run-with-upower-mock.sh's XDG_RUNTIME_DIR. Returns once XWayland's window manager runs
# and weston tracks the pointer. Exports WAYLAND_DISPLAY, DISPLAY (XWayland, for the program),
# OUTER_DISPLAY (the Xvfb) and WESTON_OUTER_X/Y (where weston's screen starts on the Xvfb; the
# x11 backend runs at scale 1, so a point moves by that offset and nothing else).
# WESTON_BACKEND=headless: weston's headless output instead (no Xvfb, no pointer: nothing to
# drive, only windows to read).
start_weston_xwayland() {
  local log=$HARNESS_DIR/weston.log win backend=${WESTON_BACKEND:-x11} before x y
  WESTON_WIDTH=1024 WESTON_HEIGHT=640
  if [ "$backend" = x11 ]; then start_xvfb 1280x800x24 || return 1; fi
  export OUTER_DISPLAY=${DISPLAY:-}
  # --idle-time=0: weston's default 300 s idle would fade the screen and lock it mid-test.
  # The xwm-wm-x11 scope puts XWayland's window manager events (configure requests,
  # _NET_WM_MOVERESIZE, ...) in the log, to read when a run fails.
  weston --backend="$backend-backend.so" --use-pixman --xwayland --debug --no-config --idle-time=0 \
    --width=$WESTON_WIDTH --height=$WESTON_HEIGHT --socket=wl-orvane \
    --log="$log" --logger-scopes=log,xwm-wm-x11 >"$HARNESS_DIR/weston.out" 2>&1 &
  track $!
  # XWayland starts on the first X connection; the display is known (and listening) from here.
  WAIT_S=15 wait_for grep -q 'xserver listening on display' "$log" ||
    { hlog "weston did not start: $(tail -3 "$HARNESS_DIR/weston.out" "$log")"; return 1; }
  export WAYLAND_DISPLAY=wl-orvane
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

# weston_window_place WID -> "X Y W H": the client area of the X window WID as weston shows it.
# The view is found by title ("top-level window 'TITLE'") for windows weston manages as
# toplevels, else by the frame's size; fails while the window is not on screen, or when the
# match is ambiguous.
weston_window_place() {
  local frame=$1 p root fx fy fw fh cx cy cw ch found
  # Its frame: the top-level ancestor, or the window itself.
  root=$(xwininfo -root | awk '/Window id:/{print $4; exit}')
  while p=$(window_parent "$frame") && [ -n "$p" ] && [ "$((p))" != 0 ] && [ "$((p))" != "$((root))" ]; do
    frame=$p
  done
  read -r fx fy fw fh < <(win_geometry "$frame")
  read -r cx cy cw ch < <(win_geometry "$1")
  cx=$((cx - fx)) cy=$((cy - fy))     # the client inside its frame
  # Each live view of the frame's size (a view of PID 0 is a closing window fading out): the one
  # of that title, else the one without a description.
  found=$(weston_scene | awk -v t="top-level window '$(xdotool getwindowname "$1" 2>/dev/null)'" \
    -v w="$fw" -v h="$fh" '/^\tView [0-9]+ \(/ { live = ($0 !~ /PID 0, surface ID 0,/); d = $0; next }
    live && /position:/ { live = 0; gsub(/[(),]/, " "); if ($5 - $2 != w || $6 - $3 != h) next
      if (index(d, t)) titled[++n] = $2 " " $3
      else if (index(d, "[no description available]")) plain[++m] = $2 " " $3 }
    END { if (n == 1) print titled[1]; else if (!n && m == 1) print plain[1]; else exit 1 }') ||
    return 1
  read -r fx fy <<<"$found"
  echo "$((fx + cx)) $((fy + cy)) $cw $ch"
}

# wait_weston_window_at WID X Y: until weston shows WID's client area at X,Y.
wait_weston_window_at() {
  wait_for eval '[ "$(weston_window_place '"$1"' | cut -d" " -f1-2)" = "'"$2 $3"'" ]'
}

