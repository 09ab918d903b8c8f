#!/usr/bin/env bash
# idle_and_latency.sh [--idle SECONDS] [--starts N] [--changes N] [--display 0|1|2] [--strace] [--perf]
#                     [--empty EMPTY_TRAY] [PROGRAM]
# Runs the real program on Xvfb with an XEmbed tray (trayer) against a mocked UPower
# (tests/run-with-upower-mock.sh --x11 --battery 85:7530) and prints one line per figure, each
# beside the same figure of an empty Qt tray program (bench/empty_tray.cpp) measured in the
# same run, and their ratio:
#   start to tray icon embedded (median of --starts, default 7, interleaved with the empty
#   program's starts, after one untimed warm-up start of each)
#   the first UPower change after start, alone, and a series of changes (--changes, default 20):
#   CPU of the program, latency to the updated tray tip, and how many drops were learnt (each
#   one store write)
#   idle window (--idle, default 60 s): CPU, wakeups, context switches, both programs at once
#   memory: Pss_Anon and RSS
# --strace / --perf: afterwards, one more series of changes under `strace -c -f` or `perf record`
# to see where the time goes (kept apart from the figures: both perturb the process).
# --display: the stored display mode (0 full window, default; 1 compact; 2 tray only).
# PROGRAM defaults to build/release/src/orvane, EMPTY_TRAY to empty_tray in the bench folder of
# the same build; --empty build/release/bench/text_floor measures against a window with the main
# window's texts that follows UPower too (bench/text_floor.cpp). Figures only: nothing here
# passes or fails.
set -u
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
repo=$(dirname "$here")

idle=60 starts=7 changes=20 display=0 spacing=0.5 do_strace=0 do_perf=0 prog= empty=
while [ $# -gt 0 ]; do
  case $1 in
    --idle) idle=$2; shift 2 ;;
    --starts) starts=$2; shift 2 ;;
    --changes) changes=$2; shift 2 ;;
    --display) display=$2; shift 2 ;;
    --strace) do_strace=1; shift ;;
    --perf) do_perf=1; shift ;;
    --empty) empty=$2; shift 2 ;;
    -h|--help) sed -n '2,21p' "$0"; exit 0 ;;
    -*) echo "idle_and_latency: unknown option $1" >&2; exit 2 ;;
    *) prog=$1; shift ;;
  esac
done
prog=$(readlink -f "${prog:-$repo/build/release/src/orvane}")
build_hint="(scripts/run.sh builds the program alone; cmake --build --preset release builds the benchmarks too)"
[ -x "$prog" ] || { echo "idle_and_latency: no program at $prog $build_hint" >&2; exit 2; }
empty=$(readlink -f "${empty:-$(dirname "$prog")/../bench/empty_tray}")
[ -x "$empty" ] || { echo "idle_and_latency: no empty tray program at $empty $build_hint" >&2; exit 2; }

# Outside the wrapper: run this very script inside it.
if [ -z "${ORVANE_BENCH_INNER:-}" ]; then
  opts=(--idle "$idle" --starts "$starts" --changes "$changes" --display "$display" --empty "$empty")
  [ $do_strace = 1 ] && opts+=(--strace)
  [ $do_perf = 1 ] && opts+=(--perf)
  exec "$repo/tests/run-with-upower-mock.sh" --x11 --battery 85:7530 -- \
    env ORVANE_BENCH_INNER=1 bash "$here/idle_and_latency.sh" "${opts[@]}" "$prog"
fi

. "$repo/tests/upower-mock.sh"
out=$HARNESS_DIR/bench
mkdir -p "$out"
# Seconds of the day in the program's log and here must share a zone.
export TZ=UTC
export QT_LOGGING_RULES="orvane.display.debug=true"
# %{time process} is logged for reference only: Qt 6.4 starts that clock at the first message.
export QT_MESSAGE_PATTERN="%{time process} %{time hh:mm:ss.zzz} %{message}"

seed_store() {
  mkdir -p "$XDG_CONFIG_HOME/Merrowin"
  cat >"$XDG_CONFIG_HOME/Merrowin/Orvane.reg" <<REG
Windows Registry Editor Version 5.00

[HKEY_CURRENT_USER\\Software\\Merrowin\\Orvane]

[HKEY_CURRENT_USER\\Software\\Merrowin\\Orvane\\Window]
"CompactX"="7680"
"CompactY"="0"
"Display"="$display"

[HKEY_CURRENT_USER\\Software\\Merrowin\\Orvane\\Setting]
"First Use"="1"
REG
}

# Seconds since midnight UTC of an epoch time with a fraction.
sod() { awk -v t="$1" 'BEGIN{printf "%.6f", t - int(t / 86400) * 86400}'; }

# A passive X watcher: the time each window is reparented or mapped, without polling the server.
start_x_watcher() {
  "$PY" -u - >"$out/xevents.txt" 2>"$out/xwatch.err" <<'PYX' &
import ctypes, time
x = ctypes.cdll.LoadLibrary("libX11.so.6")
x.XOpenDisplay.restype = ctypes.c_void_p
x.XOpenDisplay.argtypes = [ctypes.c_char_p]
x.XDefaultRootWindow.restype = ctypes.c_ulong
x.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
x.XSelectInput.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_long]
x.XNextEvent.argtypes = [ctypes.c_void_p, ctypes.c_void_p]
x.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
HANDLER = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_void_p)
ignore = HANDLER(lambda d, e: 0)  # a window gone before we select on it is no error
x.XSetErrorHandler(ignore)
d = x.XOpenDisplay(None)
x.XSelectInput(d, x.XDefaultRootWindow(d), 1 << 19)  # SubstructureNotify
x.XSync(d, 0)
print("ready", flush=True)
ev = (ctypes.c_ulong * 24)()
while True:
    x.XNextEvent(d, ev)
    t = time.time()
    kind = ev[0] & 0xffffffff
    if kind == 16:    # CreateNotify: follow the new window itself (StructureNotify)
        x.XSelectInput(d, ev[5], 1 << 17)
    elif kind == 21:  # ReparentNotify: window, new parent
        print("reparent %.6f %d %d" % (t, ev[5], ev[6]), flush=True)
    elif kind == 19 and ev[4] == ev[5]:  # MapNotify, as seen by the window itself
        print("map %.6f %d" % (t, ev[5]), flush=True)
PYX
  track $!
  WAIT_S=10 wait_for grep -q ready "$out/xevents.txt" || { hlog "X watcher did not start"; return 1; }
}

# launch LOG [stamped|PROGRAM]: starts the program (or PROGRAM), sets PID and T0 (epoch seconds
# just before exec). "stamped" puts each output line through a pipe that prefixes the epoch time
# (us) it arrived.
launch() {
  local log=$1 dest=$1 run=$prog
  case ${2:-} in stamped|"") ;; *) run=$2 ;; esac
  if [ "${2:-}" = stamped ]; then
    rm -f "$out/fifo"; mkfifo "$out/fifo"
    "$PY" -u -c '
import sys, time
out = sys.stdout
for line in iter(sys.stdin.buffer.readline, b""):
    out.write("%.6f %s" % (time.time(), line.decode("utf-8", "replace")))
' <"$out/fifo" >"$log" &
    track $!
    dest=$out/fifo
  fi
  ( echo "$EPOCHREALTIME" >"$out/t0"; exec "$run" ) >"$dest" 2>&1 &
  PID=$!
  track "$PID"
  until [ -s "$out/t0" ]; do sleep 0.001; done
  T0=$(cat "$out/t0"); rm -f "$out/t0"
}

# wait_started LOG: until the first tip line and the icon embedded (10 s at most).
wait_started() {
  local i
  for i in $(seq 400); do
    grep -q ' tip: ' "$1" && [ -n "$(tray_icon_windows "$PID")" ] && return 0
    sleep 0.025
  done
  return 1
}

# wait_icon: until the icon of $PID is embedded in the tray (10 s at most).
wait_icon() {
  local i
  for i in $(seq 400); do
    [ -n "$(tray_icon_windows "$PID")" ] && return 0
    sleep 0.025
  done
  return 1
}

# first_tip_ms LOG: ms from T0 to the first tip line.
first_tip_ms() {
  local line
  line=$(grep -m1 ' tip: ' "$1") || return 1
  awk -v t="$(awk '{print $2}' <<<"$line")" -v t0="$(sod "$T0")" 'BEGIN{
    split(t, a, ":"); s = a[1] * 3600 + a[2] * 60 + a[3]; d = s - t0
    if (d < -43200) d += 86400
    printf "%.1f", d * 1000 }'
}

# x_event_ms KIND WINDOW: ms from T0 to the first KIND event of WINDOW after T0.
x_event_ms() {
  awk -v k="$1" -v w="$2" -v t0="$T0" '$1 == k && $3 == w && $2 >= t0 { printf "%.1f", ($2 - t0) * 1000; exit }' \
    "$out/xevents.txt"
}

median() { grep -v NA | sort -n | awk '{v[NR] = $1} END{ if (NR == 0) print "NA"; else if (NR % 2) print v[(NR + 1) / 2]; else printf "%.1f\n", (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# ratio A B: A / B to two decimals.
ratio() { awk -v a="$1" -v b="$2" 'BEGIN{ if (a == "NA" || b == "NA" || b + 0 == 0) print "NA"; else printf "%.2f", a / b }'; }

# verdict VALUE TARGET UNIT: "ok" or how much the target is missed by.
verdict() {
  awk -v v="$1" -v t="$2" -v u="$3" 'BEGIN{
    if (v == "NA" || v == "") print "NO FIGURE"
    else if (v + 0 <= t + 0) print "ok"
    else printf "MISSED by %.3g %s (x%.1f)\n", v - t, u, (t > 0 ? v / t : 0) }'
}

# Per thread "tid on-CPU-ns timeslices context-switches", so a thread ending mid-window
# does not make the sums go backwards.
snap() {
  local d
  for d in /proc/"$1"/task/*; do
    { read -r ns _ sl <"$d/schedstat" &&
      echo "${d##*/} $ns $sl $(awk '/ctxt_switches/{n += $2} END{print n + 0}' "$d/status")"; } 2>/dev/null
  done
}
# delta BEFORE AFTER -> "ns slices switches" over the threads alive at the end
delta() {
  awk 'NR == FNR {a[$1] = $2; b[$1] = $3; c[$1] = $4; next}
       {ns += $2 - a[$1]; sl += $3 - b[$1]; cx += $4 - c[$1]} END{printf "%d %d %d\n", ns, sl, cx}' "$1" "$2"
}

display_change() { # K: alternates between two readings, so every call is a real change
  if [ $(($1 % 2)) = 1 ]; then mock_display "{'Percentage': <84.0>, 'TimeToEmpty': <int64 7200>}"
  else mock_display "{'Percentage': <85.0>, 'TimeToEmpty': <int64 7530>}"; fi
}

# run_changes N FILE [FIRST]: N changes spaced $spacing s, the first of them change FIRST
# (default 1); FILE gets "k before after" epoch times.
run_changes() {
  local k tb ta next
  : >"$2"
  next=$EPOCHREALTIME
  for k in $(seq "${3:-1}" $((${3:-1} + $1 - 1))); do
    tb=$EPOCHREALTIME
    display_change "$k" || return 1
    ta=$EPOCHREALTIME
    echo "$k $tb $ta" >>"$2"
    next=$(awk -v n="$next" -v s="$spacing" 'BEGIN{printf "%.6f", n + s}')
    sleep "$(awk -v n="$next" -v now="$EPOCHREALTIME" 'BEGIN{d = n - now; printf "%.3f", (d > 0 ? d : 0)}')"
  done
}

line() { printf '%-44s %-34s %-14s %s\n' "$@"; }

start_x_watcher || exit 1
hlog "program: $prog"
# The figures follow the default font (its faces' tables, fontconfig's rules): say which it is.
hlog "default font: $(fc-match sans-serif 2>&1) (FONTCONFIG_FILE=${FONTCONFIG_FILE:-unset})"

# ---- a. start to tray icon, beside the empty program ---------------------------------------
# Interleaved, the order swapped every round, so a slower stretch of the machine weighs on both.
tips=() embeds=() maps=() procs=() empties=()
start_orvane() {
  seed_store
  log=$out/start-$i.log
  launch "$log"
  if ! wait_started "$log"; then
    hlog "start $i: no tip line or no icon in the tray within 10 s"; cat "$log" >&2; exit 1
  fi
  sleep 0.3
  w=$(tray_icon_windows "$PID" | head -1)
  PROC_S=$(grep -m1 ' tip: ' "$log" | awk '{print $1}')
  tip=$(first_tip_ms "$log") emb=$(x_event_ms reparent "$w") map=$(x_event_ms map "$w")
  stop_pid "$PID"
  if [ "$i" = 0 ]; then hlog "warm-up start: tip ${tip} ms, embedded ${emb} ms"; return; fi
  hlog "start $i: tip ${tip} ms, embedded ${emb} ms, mapped ${map} ms, Qt process time ${PROC_S} s"
  tips+=("$tip") embeds+=("${emb:-NA}") maps+=("${map:-NA}") procs+=("$PROC_S")
}
start_empty() {
  launch "$out/empty-$i.log" "$empty"
  wait_icon || { hlog "empty program $i: no icon in the tray within 10 s"; exit 1; }
  sleep 0.3
  emb=$(x_event_ms reparent "$(tray_icon_windows "$PID" | head -1)")
  stop_pid "$PID"
  [ "$i" = 0 ] && return
  hlog "empty program $i: embedded ${emb} ms"
  empties+=("${emb:-NA}")
}
for i in $(seq 0 "$starts"); do
  if [ $((i % 2)) = 0 ]; then start_orvane; start_empty; else start_empty; start_orvane; fi
done
tip_med=$(printf '%s\n' "${tips[@]}" | median)
emb_med=$(printf '%s\n' "${embeds[@]}" | median)
map_med=$(printf '%s\n' "${maps[@]}" | median)
empty_med=$(printf '%s\n' "${empties[@]}" | median)

# ---- the measured instances: the empty program beside Orvane -----------------------------
launch "$out/empty-idle.log" "$empty"
EMPTY_PID=$PID
wait_icon || { hlog "empty program: no icon in the tray within 10 s"; exit 1; }
seed_store
log=$out/run.log
# Every DisplayDevice signal as the bus delivers it, with us times.
dbus-monitor --system "type='signal',path='/org/freedesktop/UPower/devices/DisplayDevice',member='PropertiesChanged'" \
  >"$out/monitor.txt" 2>&1 &
track $!
launch "$log" stamped
wait_started "$log" || { hlog "measured instance did not start"; exit 1; }
sleep 3

# ---- b. one UPower change ----------------------------------------------------------------
# The first change after start on its own: whatever it makes for the first time counts here.
# Each drop that learning takes adds one fsync'd store write; whether the drops of the series
# are taken follows where the changes fall in the second. Its count grows by one per write.
learnt_count() { sed -n 's/^"Count"="\([0-9]*\)"/\1/p' "$XDG_CONFIG_HOME/Merrowin/Orvane.reg" | grep . || echo 0; }
first_before=$(learnt_count)
snap "$PID" >"$out/f0"; snap "$EMPTY_PID" >"$out/ef0"
tips_before=$(grep -c ' tip: ' "$log")
display_change 1 || { hlog "the first change failed"; exit 1; }
wait_for eval '[ "$(grep -c " tip: " "$log")" -gt "$tips_before" ]' || { hlog "no tip after the first change"; exit 1; }
sleep "$spacing"
snap "$PID" >"$out/f1"; snap "$EMPTY_PID" >"$out/ef1"
read -r first_ns _ < <(delta "$out/f0" "$out/f1")
first_cpu_ms=$(awk -v n="$first_ns" 'BEGIN{printf "%.3f", n / 1e6}')
# The other program over the same change (nothing, unless it follows UPower too: text_floor).
read -r e_first_ns _ < <(delta "$out/ef0" "$out/ef1")
e_first_cpu_ms=$(awk -v n="$e_first_ns" 'BEGIN{printf "%.3f", n / 1e6}')
first_learnt=$(($(learnt_count) - first_before))

count_before=$(learnt_count)
snap "$PID" >"$out/c0"; snap "$EMPTY_PID" >"$out/ec0"; w0=$EPOCHREALTIME
tips_before=$(grep -c ' tip: ' "$log")
emits_before=$(grep -c 'emit /org/freedesktop/UPower/devices/DisplayDevice' "$HARNESS_DIR/upower-mock.log")
run_changes "$changes" "$out/changes.txt" 2 || { hlog "changes failed"; exit 1; }
snap "$PID" >"$out/c1"; snap "$EMPTY_PID" >"$out/ec1"; w1=$EPOCHREALTIME
learnt=$(($(learnt_count) - count_before))
# The idle baseline over the same wall time, right after.
snap "$PID" >"$out/b0"; snap "$EMPTY_PID" >"$out/eb0"; v0=$EPOCHREALTIME
sleep "$(awk -v a="$w0" -v b="$w1" 'BEGIN{printf "%.3f", b - a}')"
snap "$PID" >"$out/b1"; snap "$EMPTY_PID" >"$out/eb1"; v1=$EPOCHREALTIME
read -r c_ns c_sl c_cx < <(delta "$out/c0" "$out/c1")
read -r b_ns b_sl b_cx < <(delta "$out/b0" "$out/b1")
read -r ec_ns _ < <(delta "$out/ec0" "$out/ec1")
read -r eb_ns _ < <(delta "$out/eb0" "$out/eb1")

read -r chg_cpu_ms chg_wake chg_ctx e_chg_cpu_ms <<<"$(awk -v n="$changes" \
  -v c="$c_ns" -v cs="$c_sl" -v cx="$c_cx" -v cw="$(awk -v a="$w0" -v b="$w1" 'BEGIN{print b - a}')" \
  -v b="$b_ns" -v bs="$b_sl" -v bx="$b_cx" -v bw="$(awk -v a="$v0" -v b="$v1" 'BEGIN{print b - a}')" \
  -v ec="$ec_ns" -v eb="$eb_ns" 'BEGIN{ r = cw / bw
    printf "%.3f %.1f %.1f %.3f\n", (c - b * r) / n / 1e6, (cs - bs * r) / n, (cx - bx * r) / n, (ec - eb * r) / n / 1e6 }')"

# Latency: the k-th new tip line against the k-th change.
grep ' tip: ' "$log" | tail -n +"$((tips_before + 1))" | awk '{print $3}' >"$out/tip-times.txt"
grep ' tip: ' "$log" | tail -n +"$((tips_before + 1))" | awk '{print $1}' >"$out/tip-arrivals.txt"
awk -v t="$w0" '/^signal time=/ { sub("time=", "", $2); if ($2 + 0 >= t + 0) print $2 }' "$out/monitor.txt" \
  >"$out/signal-times.txt"
paste -d' ' "$out/signal-times.txt" "$out/tip-arrivals.txt" | awk 'NF == 2 {printf "%.3f\n", ($2 - $1) * 1000}' \
  >"$out/latency-us.txt"
lat_sig=$(median <"$out/latency-us.txt")
lat_sig_max=$(sort -n "$out/latency-us.txt" | tail -1)
n_sigs=$(wc -l <"$out/signal-times.txt")
grep 'emit /org/freedesktop/UPower/devices/DisplayDevice' "$HARNESS_DIR/upower-mock.log" |
  tail -n +"$((emits_before + 1))" | awk '{print $1}' >"$out/emit-times.txt"
n_tips=$(wc -l <"$out/tip-times.txt")
paste -d' ' "$out/changes.txt" "$out/tip-times.txt" "$out/emit-times.txt" | awk -v day="$(sod "$w0")" '
  function s(t,   a) { split(t, a, ":"); return a[1] * 3600 + a[2] * 60 + a[3] }
  function od(t) { return t - int(t / 86400) * 86400 }
  NF >= 4 { tip = s($4); printf "%.1f %.1f %.1f\n", (tip - od($3)) * 1000, (tip - od($2)) * 1000, (NF >= 5 ? (tip - od($5)) * 1000 : -1) }' \
  >"$out/latency.txt"
lat_after=$(awk '{print $1}' "$out/latency.txt" | median)
lat_after_max=$(awk '{print $1}' "$out/latency.txt" | sort -n | tail -1)
lat_before=$(awk '{print $2}' "$out/latency.txt" | median)
lat_before_max=$(awk '{print $2}' "$out/latency.txt" | sort -n | tail -1)
lat_emit=$(awk '$3 >= -0.5 {print $3}' "$out/latency.txt" | median)
lat_emit_max=$(awk '$3 >= -0.5 {print $3}' "$out/latency.txt" | sort -n | tail -1)

# ---- c + d. idle window and memory -------------------------------------------------------
sleep 2
# Both over the same seconds: whatever else the machine does weighs on both alike.
bash "$here/idle-cost.sh" "$EMPTY_PID" "$idle" | grep '^idle-cost:' >"$out/empty-idle.txt" &
empty_cost=$!
idle_line=$(bash "$here/idle-cost.sh" "$PID" "$idle" | grep '^idle-cost:')
wait "$empty_cost"
empty_line=$(cat "$out/empty-idle.txt")
kv() { tr ' ' '\n' <<<"${2:-$idle_line}" | awk -F= -v k="$1" '$1 == k {print $2}'; }
e_idle_cpu_ms=$(awk -v u="$(kv sched_cpu_us "$empty_line")" 'BEGIN{printf "%.3f", u / 1000}')
e_idle_ctx=$(kv ctx_total "$empty_line") e_idle_wake=$(kv wakeups "$empty_line")
e_pss_anon_mib=$(awk -v k="$(kv pss_anon_kb "$empty_line")" 'BEGIN{printf "%.2f", k / 1024}')
idle_cpu_ms=$(awk -v u="$(kv sched_cpu_us)" 'BEGIN{printf "%.3f", u / 1000}')
idle_ctx=$(kv ctx_total) idle_wake=$(kv wakeups)
pss_anon_mib=$(awk -v k="$(kv pss_anon_kb)" 'BEGIN{printf "%.2f", k / 1024}')
rss_mib=$(awk -v k="$(kv rss_kb)" 'BEGIN{printf "%.2f", k / 1024}')
pss_mib=$(awk -v k="$(kv pss_kb)" 'BEGIN{printf "%.2f", k / 1024}')

# ---- report ------------------------------------------------------------------------------
echo
echo "Orvane benchmark $(date -u +%Y-%m-%dT%H:%MZ) on $(nproc) cores, $(uname -r); display mode $display; program $prog"
line "figure" "$(basename "$prog") / $(basename "$empty")" "target" "verdict"
start_ratio=$(ratio "$emb_med" "$empty_med")
line "start -> icon embedded in trayer (X)" "${emb_med} / ${empty_med} ms: x${start_ratio}" "<= x1.25" \
  "$(verdict "$start_ratio" 1.25 x)"
line "  each start, Orvane" "${embeds[*]} ms" "" ""
line "  each start, empty program" "${empties[*]} ms" "" ""
line "start -> first tray tip (log)" "${tip_med} ms (median of $starts)" "" ""
line "start -> icon mapped in trayer (X)" "${map_med} ms" "" ""
line "  Qt %{time process} at first tip" "${procs[*]} s" "" "(clock starts at the first message in Qt 6.4)"
line "first UPower change after start: CPU" "${first_cpu_ms} / ${e_first_cpu_ms} ms (drops learnt: $first_learnt)" "<= 0.5 ms" \
  "$(verdict "$first_cpu_ms" 0.5 ms)"
line "one UPower change: CPU" "${chg_cpu_ms} / ${e_chg_cpu_ms} ms (n=$changes)" "<= 0.5 ms" "$(verdict "$chg_cpu_ms" 0.5 ms)"
line "  drops learnt (a store write each)" "$learnt of $changes changes" "" ""
line "  idle baseline over the same wall time" "$(awk -v b="$b_ns" 'BEGIN{printf "%.3f", b / 1e6}') ms, $b_sl wakeups" "" ""
line "one UPower change: wakeups / ctx switches" "${chg_wake} / ${chg_ctx}" "" ""
line "  tip after gdbus returned" "median ${lat_after} ms, max ${lat_after_max} ms" "" "(the call returns after the signal: may be < 0)"
line "one UPower change: signal on bus -> tip line" "median ${lat_sig} ms, max ${lat_sig_max} ms" "<= 5 ms" "$(verdict "$lat_sig_max" 5 ms)"
line "  (dbus-monitor time -> line read from pipe)" "$n_sigs signals" "" "(us clocks)"
line "  tip after mock's signal emit (mock log)" "median ${lat_emit} ms, max ${lat_emit_max} ms" "" "(ms clocks: +-1 ms)"
line "  tip after gdbus call started" "median ${lat_before} ms, max ${lat_before_max} ms" "" ""
line "  tip lines seen / changes" "$n_tips / $changes" "" ""
line "${idle} s idle: context switches" "$idle_ctx / $e_idle_ctx" "<= empty" \
  "$(verdict "$idle_ctx" "$e_idle_ctx" switches)"
line "${idle} s idle: CPU" "${idle_cpu_ms} / ${e_idle_cpu_ms} ms" "" ""
line "${idle} s idle: wakeups (times scheduled in)" "$idle_wake / $e_idle_wake" "<= empty" \
  "$(verdict "$idle_wake" "$e_idle_wake" wakeups)"
line "${idle} s idle: threads that ended in it" "$(kv threads_ended)" "" "(Qt pool threads end 30 s after their last job)"
mem_over=$(awk -v a="$pss_anon_mib" -v b="$e_pss_anon_mib" 'BEGIN{printf "%+.2f", a - b}')
line "memory: Pss_Anon" "${pss_anon_mib} / ${e_pss_anon_mib} MiB: ${mem_over}" "<= +0.5 MiB" \
  "$(verdict "$mem_over" 0.5 MiB)"
line "memory: RSS / Pss" "${rss_mib} MiB / ${pss_mib} MiB" "" ""
echo "empty $empty_line"
echo "$idle_line"

# ---- where the time goes (perturbs the process: after the figures) -----------------------
if [ $do_strace = 1 ]; then
  echo "--- strace -c -f over $changes more changes"
  strace -c -f -p "$PID" -o "$out/strace.txt" 2>/dev/null &
  st=$!
  sleep 1
  run_changes "$changes" "$out/changes-strace.txt" 2
  sleep 1
  kill -INT "$st"; wait "$st" 2>/dev/null
  cat "$out/strace.txt"
fi
if [ $do_perf = 1 ]; then
  echo "--- perf record (task-clock every 20 us, DWARF call graphs) over $changes more changes"
  perf record -q -e task-clock -c 20000 --call-graph dwarf,16384 -p "$PID" -o "$out/perf.data" >/dev/null 2>&1 &
  pr=$!
  sleep 1
  run_changes "$changes" "$out/changes-perf.txt" 2
  kill -INT "$pr"; wait "$pr" 2>/dev/null
  echo "-- by library (self)"
  perf report -i "$out/perf.data" --stdio --no-children --sort dso -g none 2>/dev/null | grep -v '^#' | grep -v '^$' | head -12
  echo "-- by function, inclusive (children), the program's own and the Qt entry points"
  perf report -i "$out/perf.data" --stdio --children --sort sym -g none 2>/dev/null | grep -v '^#' | grep -v '^$' |
    grep -E 'orvane::|QSystemTrayIcon|QWidget::repaint|QWidgetRepaintManager|QLabel|QDBus|QXcb|QPainter|QTextLayout|QFont|QGuiApplication|QApplication::notify|QCoreApplication::notifyInternal' | head -40
fi
stop_pid "$PID"
exit 0
