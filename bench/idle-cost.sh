#!/usr/bin/env bash
# idle-cost.sh PID [SECONDS] [--perf] [--strace]
# What a running process costs while nothing happens, over SECONDS (default 60), all threads:
#   sched_cpu_us  on-CPU time from /proc/PID/task/*/schedstat (ns resolution; the 10 ms ticks
#                 of /proc/PID/stat would read 0 for an idle process)
#   wakeups       times a thread was scheduled in (schedstat timeslices)
#   ctx_vol / ctx_invol   context switches from /proc/PID/task/*/status (/proc/PID/status
#                 alone counts the main thread only)
#   rss_kb, pss_kb, pss_anon_kb   at the end (VmRSS, /proc/PID/smaps_rollup)
# Output: one "idle-cost: key=value ..." line, then the optional tool outputs.
# --perf    also `perf stat` over the same window (software events and, where available, the
#           syscall and wakeup tracepoints)
# --strace  afterwards, a second window under `strace -c -f`; ptrace adds context switches of
#           its own, so it never overlaps the window above
set -u
pid=${1:?usage: idle-cost.sh PID [SECONDS] [--perf] [--strace]}
secs=60 perf=0 strace=0
shift
for a in "$@"; do
  case $a in --perf) perf=1 ;; --strace) strace=1 ;; *) secs=$a ;; esac
done
[ -d "/proc/$pid" ] || { echo "idle-cost: no process $pid" >&2; exit 1; }

# One line per thread: tid on-CPU-ns timeslices voluntary involuntary comm. Sums over
# /proc/PID/task would go backwards when a thread ends inside the window (Qt's pooled
# threads end 30 s after their last job), so the deltas are taken thread by thread.
snapshot() {
  local d tid
  for d in /proc/"$pid"/task/*; do
    tid=${d##*/}
    { read -r ns _ sl <"$d/schedstat" &&
      awk -v t="$tid" -v ns="$ns" -v sl="$sl" -v c="$(tr ' ' '_' <"$d/comm")" \
        '/^voluntary_ctxt_switches/{v=$2} /^nonvoluntary_ctxt_switches/{n=$2} END{print t, ns, sl, v, n, c}' "$d/status"
    } 2>/dev/null
  done
}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
if [ $perf = 1 ]; then
  ev=task-clock,context-switches,cpu-migrations,page-faults
  perf stat -e raw_syscalls:sys_enter,sched:sched_wakeup true >/dev/null 2>&1 &&
    ev=$ev,raw_syscalls:sys_enter,sched:sched_wakeup
  perf stat -e "$ev" -p "$pid" -o "$tmp/perf.txt" -- sleep "$secs" &
  perf_pid=$!
fi
snapshot >"$tmp/before"; t0=$EPOCHREALTIME
sleep "$secs"
snapshot >"$tmp/after"; t1=$EPOCHREALTIME
[ -d "/proc/$pid" ] || { echo "idle-cost: process $pid ended during the window" >&2; exit 1; }
[ $perf = 1 ] && wait "$perf_pid"
rss=$(awk '/^VmRSS/{print $2}' "/proc/$pid/status")
pss=$(awk '/^Pss:/{print $2}' "/proc/$pid/smaps_rollup" 2>/dev/null)
pss_anon=$(awk '/^Pss_Anon:/{print $2}' "/proc/$pid/smaps_rollup" 2>/dev/null)
# Threads alive at both ends count in full; a thread that started in the window counts from 0;
# one that ended is listed (its last moments are lost with it).
read -r ns q v n started ended <<<"$(awk 'NR == FNR {b[$1] = $0; next}
  { if ($1 in b) split(b[$1], x, " "); else { x[2] = x[3] = x[4] = x[5] = 0; st++ }
    ns += $2 - x[2]; q += $3 - x[3]; v += $4 - x[4]; n += $5 - x[5]; seen[$1] = 1 }
  END { for (t in b) if (!(t in seen)) { split(b[t], x, " "); e = e (e ? "," : "") x[6] }
        printf "%d %d %d %d %d %s\n", ns, q, v, n, st, (e ? e : "-") }' "$tmp/before" "$tmp/after")"
threads=$(wc -l <"$tmp/after")
awk -v t0="$t0" -v t1="$t1" -v ns="$ns" -v q="$q" -v v="$v" -v n="$n" -v st="$started" -v en="$ended" \
    -v rss="$rss" -v pss="${pss:-NA}" -v pa="${pss_anon:-NA}" -v pid="$pid" -v th="$threads" \
    -v comm="$(cat "/proc/$pid/comm")" 'BEGIN{
  s = t1 - t0
  printf "idle-cost: pid=%s comm=%s seconds=%.1f threads=%d threads_started=%d threads_ended=%s sched_cpu_us=%.1f wakeups=%d ctx_vol=%d ctx_invol=%d ctx_total=%d rss_kb=%s pss_kb=%s pss_anon_kb=%s\n",
    pid, comm, s, th, st, en, ns / 1000, q, v, n, v + n, rss, pss, pa }'
[ $perf = 1 ] && { echo "--- perf stat (${secs} s)"; grep -vE '^\s*$|^#' "$tmp/perf.txt"; }
if [ $strace = 1 ]; then
  echo "--- strace -c -f (${secs} s, second window)"
  timeout -s INT "$secs" strace -c -f -p "$pid" -o "$tmp/strace.txt" 2>/dev/null
  sleep 0.5
  if [ -s "$tmp/strace.txt" ]; then cat "$tmp/strace.txt"; else echo "no system call at all in the window"; fi
fi
exit 0
