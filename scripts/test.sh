#!/usr/bin/env bash
# Builds and runs every test, in legs that run side by side (each compiles or waits while
# another does the other):
#   asan     the Qt program and its tests under ASan/UBSan;
#   core     the Qt-free code and its tests alone, under ASan/UBSan, then
#   windows  the logic and the Windows backend cross-built with mingw-w64, run under Wine;
#   package  the Debian package, built from the sources and checked;
#   fuzz     where clang and its libFuzzer are installed, a bounded fuzzing run of the store.
# Each leg's whole output goes to build/<leg>.log; all are printed once every leg has ended.
# All always run; the exit status is non-zero when any fails. The last line printed
# is a ctest-style summary covering them all.
#
# Environment: ORVANE_TEST_TIMEOUT (seconds per test, default 300),
#              ORVANE_JOBS (build parallelism of each leg, default: ninja's own, a little over
#                the CPUs, or 1 with less than 4 GiB of memory free),
#              ORVANE_FUZZ_SECONDS (length of the fuzzing run, default 60).
set -uo pipefail

root=$(cd "$(dirname "$(readlink -f "${BASH_SOURCE[0]}")")/.." && pwd)
cd "$root" || exit 1

"$root/scripts/deps.sh" test || exit 1

timeout=${ORVANE_TEST_TIMEOUT:-300}
# The four builds at once peak near 3 GiB with ninja's own job counts; a machine with less
# than 4 GiB free builds one file per leg at a time instead.
avail_kib=$(awk '/^MemAvailable:/ { print $2 }' /proc/meminfo 2>/dev/null)
if [[ -z ${ORVANE_JOBS:-} && ${avail_kib:-0} -gt 0 && $avail_kib -lt $((4 * 1024 * 1024)) ]]; then
  export ORVANE_JOBS=1
fi
jobs=()
[[ -n ${ORVANE_JOBS:-} ]] && jobs=(--parallel "$ORVANE_JOBS")

export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
# Never let libdbus autolaunch a session bus; tests that need one start their own.
export DBUS_SESSION_BUS_ADDRESS=${DBUS_SESSION_BUS_ADDRESS:-unix:path=/nonexistent}
if [[ -z ${XDG_RUNTIME_DIR:-} ]]; then
  XDG_RUNTIME_DIR=$(mktemp -d "${TMPDIR:-/tmp}/orvane-runtime.XXXXXX") || exit 1
  chmod 700 "$XDG_RUNTIME_DIR"
  export XDG_RUNTIME_DIR
  trap 'rm -rf "$XDG_RUNTIME_DIR"' EXIT
fi
# Qt and fontconfig keep allocations alive until exit; those are not our leaks.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0:abort_on_error=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

# leg NAME [configure args...]: configure, build and test the preset NAME; writes
# "passed failed total" to build/NAME.result ("0 1 1" when it could not be tested at all).
leg() {
  local name=$1
  shift
  local log=$root/build/$name.log result=$root/build/$name.result
  : >"$log"
  echo "0 1 1" >"$result"
  say "$name" configure
  cmake --preset "$name" -DORVANE_BUILD_TESTS=ON "$@" >>"$log" 2>&1 ||
    { say "$name" "configure failed"; return; }
  say "$name" build
  # A failed build still goes on to ctest, which reports what could not run.
  cmake --build --preset "$name" "${jobs[@]}" >>"$log" 2>&1 || say "$name" "build failed"
  say "$name" test
  local run=(-j2)
  # The package is a leg of its own.
  [[ $name == asan ]] && run=(-j3 -E '^packaging_deb$')
  ctest --preset "$name" "${run[@]}" --output-on-failure --timeout "$timeout" --no-tests=error \
    >>"$log" 2>&1
  local line
  line=$(grep -E '^[0-9]+% tests passed, [0-9]+ tests failed out of [0-9]+' "$log" | tail -n 1)
  [[ -n $line ]] || { say "$name" "no test summary"; return; }
  sed -E 's/^[0-9]+% tests passed, ([0-9]+) tests failed out of ([0-9]+).*/\1 \2/' <<<"$line" |
    { read -r failed total; echo "$((total - failed)) $failed $total" >"$result"; }
  say "$name" "$line"
}

# say LEG WORDS: a step, on the terminal and in the leg's log.
say() {
  echo "=== $1: ${*:2}"
  echo "=== $1: ${*:2}" >>"$root/build/$1.log"
}

# The Debian package, built from the sources (its own test in any build tree, packaging_deb),
# counted as one test; 77 is a skip.
package_leg() {
  local log=$root/build/package.log version
  : >"$log"
  version=$(sed -nE 's/^project\([A-Za-z]+ VERSION ([0-9.]+).*/\1/p' "$root/CMakeLists.txt")
  say package test
  "$root/tests/package_check.sh" "$root" "$root/build/package-check" "$version" >>"$log" 2>&1
  case $? in
    0) echo "1 0 1" >"$root/build/package.result"; say package passed ;;
    77) echo "1 0 1" >"$root/build/package.result"; say package "skipped: $(grep -m1 '^SKIP' "$log")" ;;
    *) echo "0 1 1" >"$root/build/package.result"; say package failed ;;
  esac
}

show() {
  echo
  echo "######## $1 (build/$1.log)"
  cat "$root/build/$1.log"
}

mkdir -p "$root/build"
legs=(asan core)
# The Qt-free code's tests are built once, without Qt and under the sanitizers; the Qt build
# leaves them out (the presets set both back for a build by hand). The benchmarks are only compiled, so they keep building; their figures come
# from bench/ by hand, in a release build.
leg asan -DORVANE_BUILD_LOGIC_TESTS=OFF -DORVANE_BUILD_BENCH=ON &
pids=($!)
core_args=(-DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG=-g1 -DORVANE_SANITIZE=ON)
if command -v x86_64-w64-mingw32-g++-posix >/dev/null; then
  legs+=(windows)
  { leg core "${core_args[@]}"; leg windows; } &
else
  echo "=== windows: skipped, mingw-w64 is not installed (scripts/deps.sh test)"
  leg core "${core_args[@]}" &
fi
pids+=($!)
legs+=(package)
package_leg &
pids+=($!)
if command -v clang++ >/dev/null &&
   [[ -f $(clang++ -print-runtime-dir 2>/dev/null)/libclang_rt.fuzzer-$(uname -m).a ]]; then
  legs+=(fuzz)
  leg fuzz -DORVANE_BUILD_TESTS=OFF -DORVANE_FUZZ_SECONDS="${ORVANE_FUZZ_SECONDS:-60}" &
  pids+=($!)
else
  echo "=== fuzz: skipped, clang with libFuzzer is not installed (scripts/deps.sh test)"
fi
wait "${pids[@]}"

status=0 passed_total=0 failed_total=0 count_total=0
for name in "${legs[@]}"; do
  show "$name"
  read -r passed failed total <"$root/build/$name.result"
  passed_total=$((passed_total + passed))
  failed_total=$((failed_total + failed))
  count_total=$((count_total + total))
  [[ $failed -eq 0 ]] || status=1
done
echo
for name in "${legs[@]}"; do
  tail -n 1 "$root/build/$name.log"
done

# Same wording and rounding as ctest's own summary line.
percent=$(awk -v p="$passed_total" -v t="$count_total" -v f="$failed_total" \
  'BEGIN { x = (t > 0) ? p * 100 / t : 0; if (f > 0 && x > 99) x = 99; printf "%d", x + 0.5 }')
echo "$percent% tests passed, $failed_total tests failed out of $count_total"
[[ $status -eq 0 && $failed_total -eq 0 ]]
