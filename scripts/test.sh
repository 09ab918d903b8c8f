#!/usr/bin/env bash
# Builds and runs every test: first the Qt-free code and its tests alone, under ASan/UBSan,
# then the Qt program and its tests under ASan/UBSan (with the Debian package, built from the
# sources beside them), then the logic and the Windows backend cross-built with mingw-w64 and
# run under Wine, then, where clang and its libFuzzer are installed, a bounded fuzzing run of
# the store.
# All always run; the exit status is non-zero when any fails. The last line printed
# is a ctest-style summary covering them all.
#
# Environment: ORVANE_TEST_TIMEOUT (seconds per test, default 300),
#              ORVANE_JOBS (build parallelism, default: ninja's own, a little over the CPUs),
#              ORVANE_FUZZ_SECONDS (length of the fuzzing run, default 60).
set -uo pipefail

root=$(cd "$(dirname "$(readlink -f "${BASH_SOURCE[0]}")")/.." && pwd)
cd "$root" || exit 1

"$root/scripts/deps.sh" test || exit 1

timeout=${ORVANE_TEST_TIMEOUT:-300}
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

status=0
passed_total=0
failed_total=0
count_total=0

# run_preset NAME [extra configure args...]
run_preset() {
  local preset=$1
  shift
  local log="$root/build/$preset/ctest-output.log"
  echo "=== $preset: configure"
  if ! cmake --preset "$preset" -DORVANE_BUILD_TESTS=ON "$@"; then
    echo "=== $preset: configure failed, counted as one failed test"
    status=1 failed_total=$((failed_total + 1)) count_total=$((count_total + 1))
    return
  fi
  echo "=== $preset: build"
  # A failed build still goes on to ctest, which reports what could not run.
  cmake --build --preset "$preset" "${jobs[@]}" || status=1
  echo "=== $preset: test"
  ctest --preset "$preset" --output-on-failure -j3 --timeout "$timeout" --no-tests=error 2>&1 \
    | tee "$log"
  [[ ${PIPESTATUS[0]} -eq 0 ]] || status=1

  local line passed failed total
  line=$(grep -E '^[0-9]+% tests passed, [0-9]+ tests failed out of [0-9]+' "$log" | tail -n 1)
  if [[ -z $line ]]; then
    echo "=== $preset: no test summary, counted as one failed test"
    status=1 failed_total=$((failed_total + 1)) count_total=$((count_total + 1))
    return
  fi
  read -r failed total < <(sed -E 's/^[0-9]+% tests passed, ([0-9]+) tests failed out of ([0-9]+).*/\1 \2/' <<<"$line")
  passed=$((total - failed))
  passed_total=$((passed_total + passed))
  failed_total=$((failed_total + failed))
  count_total=$((count_total + total))
  echo "=== $preset: $line"
}

# The Qt-free code's tests are built once, without Qt and under the sanitizers; the Qt build
# leaves them out. The benchmarks are only compiled, so they keep building; their figures come
# from bench/ by hand, in a release build.
run_preset core -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG=-g1 -DORVANE_SANITIZE=ON
run_preset asan -DORVANE_BUILD_LOGIC_TESTS=OFF -DORVANE_BUILD_BENCH=ON
if command -v x86_64-w64-mingw32-g++-posix >/dev/null; then
  run_preset windows
else
  echo "=== windows: skipped, mingw-w64 is not installed (scripts/deps.sh test)"
fi
if command -v clang++ >/dev/null &&
   [[ -f $(clang++ -print-runtime-dir 2>/dev/null)/libclang_rt.fuzzer-$(uname -m).a ]]; then
  run_preset fuzz -DORVANE_BUILD_TESTS=OFF -DORVANE_FUZZ_SECONDS="${ORVANE_FUZZ_SECONDS:-60}"
else
  echo "=== fuzz: skipped, clang with libFuzzer is not installed (scripts/deps.sh test)"
fi

# Same wording and rounding as ctest's own summary line.
percent=$(awk -v p="$passed_total" -v t="$count_total" -v f="$failed_total" \
  'BEGIN { x = (t > 0) ? p * 100 / t : 0; if (f > 0 && x > 99) x = 99; printf "%d", x + 0.5 }')
echo "$percent% tests passed, $failed_total tests failed out of $count_total"
[[ $status -eq 0 && $failed_total -eq 0 ]]
