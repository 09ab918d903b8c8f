#!/usr/bin/env bash
# Builds Orvane (release preset) and starts it; extra arguments go to the app.
set -euo pipefail

root=$(cd "$(dirname "$(readlink -f "${BASH_SOURCE[0]}")")/.." && pwd)

"$root/scripts/deps.sh" run

# The release tree also holds the tests and benchmarks, which need the test
# packages; without them, configure the app alone rather than fail. Said either way: a
# tree first configured without them keeps that choice in its cache.
extra=(-DORVANE_BUILD_TESTS=ON -DORVANE_BUILD_BENCH=ON)
if ! "$root/scripts/deps.sh" --check test; then
  extra=(-DORVANE_BUILD_TESTS=OFF -DORVANE_BUILD_BENCH=OFF)
fi

# Subshell: the presets are found from the repo root, but the app keeps the caller's directory.
(
  cd "$root"
  cmake --preset release "${extra[@]}" >/dev/null
  cmake --build --preset release --target orvane
)

exec "$root/build/release/src/orvane" "$@"
