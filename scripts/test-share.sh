#!/usr/bin/env bash
# The size of the test code against the program's: non-blank, non-comment lines of every tracked
# file under tests/ (C++, shell, Python, CMake; the fuzz corpus is data, not code) and under src/.
#   scripts/test-share.sh [--by-folder]
set -euo pipefail
root=$(cd "$(dirname "$(readlink -f "${BASH_SOURCE[0]}")")/.." && pwd)
cd "$root"

# lines FILE...: what counts as code in them
lines() {
  local f
  for f in "$@"; do
    case $f in
      *.cpp | *.h | *.cc) sed -E '\|^\s*//|d; \|^\s*/?\*|d; /^\s*$/d' "$f" ;;
      *.sh | *.py | *.cmake | */CMakeLists.txt | CMakeLists.txt) sed -E '/^\s*#/d; /^\s*$/d' "$f" ;;
    esac
  done | wc -l
}
files() { git ls-files -- "$1" | grep -v '^tests/fuzz/corpus/' || true; }

src=$(lines $(files src))
tests=$(lines $(files tests))
if [[ ${1:-} == --by-folder ]]; then
  for d in $(files tests | cut -d/ -f2 | sort -u); do
    printf '  tests/%-28s %5d\n' "$d" "$(lines $(files "tests/$d"))"
  done
fi
echo "src/ $src lines, tests/ $tests lines: tests are $((tests * 100 / src)) % of src/"
