# shellcheck shell=bash
# Bash helpers for the headless tests:  . "$(dirname "${BASH_SOURCE[0]}")/harness-lib.sh"
# HARNESS_DIR is a fresh temp dir removed on exit (HARNESS_KEEP=1 keeps it); one inherited from
# the environment (run-with-upower-mock.sh) is reused and left alone. Tracked PIDs get TERM,
# then KILL, on exit, newest first; hand_over leaves a PID to the shell that owns HARNESS_DIR.
# Needs dbus-daemon and gdbus; for X11 also xvfb, x11-utils, xdotool, trayer, imagemagick.

# Sourced twice in one shell (through upower-mock.sh and directly) it must not reset state.
[ -n "${HARNESS_LIB_LOADED:-}" ] && return 0
HARNESS_LIB_LOADED=1   # not exported: a child script sources its own copy

HARNESS_PIDS=()
if [ -n "${HARNESS_DIR:-}" ]; then HARNESS_OWN_DIR=0
else HARNESS_DIR=$(mktemp -d "${TMPDIR:-/tmp}/orvane-test.XXXXXX"); HARNESS_OWN_DIR=1; fi
PY=${PY:-/usr/bin/python3}   # Debian's python: dbusmock and gi are not in a pyenv/venv python

hlog() { echo "[$(date +%T.%3N)] $*" >&2; }
track() { HARNESS_PIDS+=("$@"); }
forget() {
  local i
  for i in "${!HARNESS_PIDS[@]}"; do [ "${HARNESS_PIDS[i]}" = "$1" ] && unset 'HARNESS_PIDS[i]'; done
  return 0
}
hand_over() { forget "$1"; echo "$1" >>"$HARNESS_DIR/handed-over.pids"; }

# stop_pid PID: TERM, up to 3 s, then KILL.
stop_pid() {
  local i
  kill "$1" 2>/dev/null || return 0
  for i in $(seq 30); do kill -0 "$1" 2>/dev/null || break; sleep 0.1; done
  kill -9 "$1" 2>/dev/null
  wait "$1" 2>/dev/null
  forget "$1"
}

harness_cleanup() {
  local rc=$? pid alive=() handed=() i
  trap - EXIT INT TERM HUP
  if [ "$HARNESS_OWN_DIR" = 1 ] && [ -f "$HARNESS_DIR/handed-over.pids" ]; then
    mapfile -t handed <"$HARNESS_DIR/handed-over.pids"
    HARNESS_PIDS=("${handed[@]}" "${HARNESS_PIDS[@]}")
  fi
  for pid in $(printf '%s\n' "${HARNESS_PIDS[@]}" | tac); do
    kill "$pid" 2>/dev/null && alive+=("$pid")
  done
  # kill -0 with several PIDs succeeds while any of them is alive.
  for i in $(seq 30); do kill -0 "${alive[@]}" 2>/dev/null || break; sleep 0.1; done
  [ ${#alive[@]} -gt 0 ] && kill -9 "${alive[@]}" 2>/dev/null
  HARNESS_PIDS=()
  if [ "${HARNESS_KEEP:-0}" = 1 ]; then hlog "kept $HARNESS_DIR"
  elif [ "$HARNESS_OWN_DIR" = 1 ]; then rm -rf "$HARNESS_DIR"; fi
  return $rc
}
trap harness_cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
trap 'exit 129' HUP

# start_private_bus system|session: a dbus-daemon of our own, open to any uid (for runs as an
# ordinary user); exports DBUS_<TYPE>_BUS_ADDRESS.
# With HARNESS_SERVICEDIR set the bus also reads activatable services from there.
start_private_bus() {
  local type=$1 conf=$HARNESS_DIR/dbus-$1.conf addr servicedir=
  [ -n "${HARNESS_SERVICEDIR:-}" ] && servicedir="<servicedir>$HARNESS_SERVICEDIR</servicedir>"
  mkdir -p "$HARNESS_DIR/dbus-$type"
  cat >"$conf" <<XML
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>$type</type>
  <listen>unix:dir=$HARNESS_DIR/dbus-$type</listen>
  <auth>EXTERNAL</auth>
  $servicedir
  <policy context="default">
    <allow user="*"/>
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
XML
  # --nofork keeps the daemon in our process group, so a runner that kills the group (CTest on
  # TIMEOUT) takes the bus down too.
  dbus-daemon --config-file="$conf" --nofork --print-address=3 \
    3>"$HARNESS_DIR/dbus-$type.address" >"$HARNESS_DIR/dbus-$type.log" 2>&1 &
  track $!
  WAIT_S=10 wait_for test -s "$HARNESS_DIR/dbus-$type.address" || {
    hlog "dbus-daemon ($type) did not start: $(tail -3 "$HARNESS_DIR/dbus-$type.log")"; return 1; }
  addr=$(head -1 "$HARNESS_DIR/dbus-$type.address")
  export "DBUS_${type^^}_BUS_ADDRESS=$addr"
  hlog "private $type bus at $addr"
}

# wait_name / wait_name_gone system|session NAME [TIMEOUT_S]
wait_name() { timeout $(( ${3:-10} + 2 )) gdbus wait --"$1" --timeout "${3:-10}" "$2" >/dev/null 2>&1; }
has_name() {
  gdbus call --"$1" -d org.freedesktop.DBus -o /org/freedesktop/DBus \
    -m org.freedesktop.DBus.NameHasOwner "$2" 2>/dev/null | grep -q true
}
wait_name_gone() { WAIT_S=${3:-10} wait_for eval "! has_name $1 $2"; }

# wait_for CMD...: retries every 0.1 s for up to WAIT_S (default 10) seconds.
wait_for() {
  local end=$(( $(date +%s%N) / 1000000 + ${WAIT_S:-10} * 1000 ))
  until "$@" >/dev/null 2>&1; do
    [ $(( $(date +%s%N) / 1000000 )) -ge $end ] && return 1
    sleep 0.1
  done
}

# start_xvfb [WxHxD]: Xvfb on a free display, no TCP, open to any local uid; exports DISPLAY
# and XVFB_PID.
start_xvfb() {
  local f=$HARNESS_DIR/xvfb.display
  : >"$f"
  Xvfb -displayfd 3 -screen 0 "${1:-1280x800x24}" -nolisten tcp -noreset -ac \
    3>"$f" >"$HARNESS_DIR/xvfb.log" 2>&1 &
  XVFB_PID=$!
  export XVFB_PID
  track $XVFB_PID
  WAIT_S=10 wait_for test -s "$f" || { hlog "Xvfb did not start: $(tail -3 "$HARNESS_DIR/xvfb.log")"; return 1; }
  DISPLAY=:$(head -1 "$f"); export DISPLAY
  WAIT_S=10 wait_for xdpyinfo || return 1
  hlog "Xvfb on $DISPLAY"
}

# x_selection_owner NAME: the owner window of an X selection (0x0 when none), through ctypes
# on libX11 so that no extra package is needed.
x_selection_owner() {
  "$PY" - "$1" <<'PYX'
import ctypes, sys
x = ctypes.cdll.LoadLibrary("libX11.so.6")
x.XOpenDisplay.restype = ctypes.c_void_p
x.XOpenDisplay.argtypes = [ctypes.c_char_p]
x.XInternAtom.restype = ctypes.c_ulong
x.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
x.XGetSelectionOwner.restype = ctypes.c_ulong
x.XGetSelectionOwner.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
d = x.XOpenDisplay(None)
if not d:
    sys.exit(2)
print(hex(x.XGetSelectionOwner(d, x.XInternAtom(d, sys.argv[1].encode(), 0))))
PYX
}
tray_ready() { local o; o=$(x_selection_owner _NET_SYSTEM_TRAY_S0 2>/dev/null) && [ "$o" != 0x0 ]; }

# start_tray_host: trayer, an XEmbed tray that needs no window manager, at the top right; returns
# once it owns _NET_SYSTEM_TRAY_S0. Sets TRAY_PID.
start_tray_host() {
  trayer --edge top --align right --widthtype request --height 24 --SetDockType true \
    --SetPartialStrut false --transparent false --tint 0x808080 \
    >"$HARNESS_DIR/trayer.log" 2>&1 &
  TRAY_PID=$!
  track "$TRAY_PID"
  WAIT_S=10 wait_for tray_ready || { hlog "tray host not ready: $(tail -3 "$HARNESS_DIR/trayer.log")"; return 1; }
}

window_parent() { xwininfo -tree -id "$1" | awk '/Parent window id:/{print $4}'; }

# tray_icon_windows PID: the windows of PID reparented into the tray host; empty when the icon
# did not dock (e.g. it went the StatusNotifierItem way).
tray_icon_windows() {
  local host w p i
  host=" $(xdotool search --pid "$TRAY_PID" 2>/dev/null | tr '\n' ' ') "
  for w in $(xdotool search --pid "$1" 2>/dev/null); do
    p=$w
    for i in 1 2 3 4; do
      p=$(window_parent "$p")
      # the root's parent is 0x0, and xwininfo -id 0x0 would wait for a click
      case $p in ""|0x0) break ;; esac
      case $host in *" $((p)) "*) echo "$w"; break ;; esac
    done
  done
}

# start_window_manager: openbox; returns once it manages the screen (_NET_SUPPORTING_WM_CHECK).
start_window_manager() {
  openbox >"$HARNESS_DIR/openbox.log" 2>&1 &
  track $!
  WAIT_S=10 wait_for eval 'xprop -root _NET_SUPPORTING_WM_CHECK | grep -q "window id"' ||
    { hlog "openbox did not start: $(tail -3 "$HARNESS_DIR/openbox.log")"; return 1; }
}

screenshot() { import -window root "$1"; }

# open_tray_menu PID: right-clicks the program's docked tray icon; prints the menu's window.
open_tray_menu() {
  local owner=$1 icon x y w h before
  tray_docked() { [ -n "$(tray_icon_windows "$owner" | head -1)" ]; }
  # The newest mapped window of the program that was not there before the click.
  new_menu() {
    local m
    for m in $(xdotool search --onlyvisible --pid "$owner"); do
      case $before in *" $m "*) ;; *) echo "$m"; return 0 ;; esac
    done
    return 1
  }
  WAIT_S=10 wait_for tray_docked || return 1
  icon=$(tray_icon_windows "$owner" | head -1)
  read -r x y w h < <(win_geometry "$icon")
  before=" $(xdotool search --onlyvisible --pid "$owner" | tr '\n' ' ') "
  # A person's pace: a second click on the icon within the double-click time (400 ms) would
  # be one double click, which an XEmbed tray icon ignores for the right button.
  local last now
  last=$(cat "$HARNESS_DIR/tray-click.ms" 2>/dev/null || echo 0)
  now=$(( $(date +%s%N) / 1000000 ))
  [ $((now - last)) -lt 500 ] && sleep "0.$(printf '%03d' $((500 - (now - last))))"
  xdotool mousemove $((x + w / 2)) $((y + h / 2)) click 3
  echo $(( $(date +%s%N) / 1000000 )) >"$HARNESS_DIR/tray-click.ms"
  WAIT_S=5 wait_for new_menu || return 1
  new_menu
}

# choose_from_tray_menu PID N: the Nth item of the tray menu, by keyboard (separators do not
# count). The keys go to the menu itself, so they cannot arrive before it holds the keyboard.
choose_from_tray_menu() {
  local menu
  menu=$(open_tray_menu "$1") || return 1
  # Return closes the menu before its key is released: xdotool then reports a window gone.
  xdotool key --window "$menu" $(printf 'Down %.0s' $(seq "$2")) Return 2>/dev/null || true
}

# win_geometry WID -> "X Y W H", absolute
win_geometry() {
  xwininfo -id "$1" | awk '/Absolute upper-left X/{x=$NF} /Absolute upper-left Y/{y=$NF}
    /Width:/{w=$NF} /Height:/{h=$NF} END{print x, y, w, h}'
}

# visible_window PID TITLE [EXCEPT_WID]: the newest mapped window of PID titled exactly TITLE
# (other than EXCEPT_WID); wait_window waits up to 10 s for one and prints its id.
visible_window() {
  xdotool search --all --onlyvisible --pid "$1" --name "^$2\$" 2>/dev/null | grep -vx "${3:-none}" | tail -1
}
wait_window() {
  local w i
  for i in $(seq 100); do
    w=$(visible_window "$@")
    [ -n "$w" ] && { echo "$w"; return 0; }
    sleep 0.1
  done
  return 1
}

# visible_windows_of PID -> one "WID X Y W H TITLE" line per mapped top-level window
visible_windows_of() {
  local w
  for w in $(xdotool search --onlyvisible --pid "$1" 2>/dev/null); do
    echo "$w $(win_geometry "$w") $(xdotool getwindowname "$w" 2>/dev/null)"
  done
}
