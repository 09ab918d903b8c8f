#!/usr/bin/env bash
# Fails when a C++ file of the project drifts from .clang-format; lists those that do.
# `scripts/check-format.sh --fix` formats them instead.
set -uo pipefail
root=$(cd "$(dirname "$(readlink -f "${BASH_SOURCE[0]}")")/.." && pwd)
cd "$root" || exit 1
command -v clang-format >/dev/null || { echo "SKIP: clang-format is not installed (scripts/deps.sh test)"; exit 77; }
mapfile -t files < <(git ls-files '*.cpp' '*.h' 2>/dev/null || find src tests bench -name '*.cpp' -o -name '*.h')
if [[ ${1:-} == --fix ]]; then
  clang-format -i "${files[@]}"
  exit 0
fi
drift=()
for f in "${files[@]}"; do
  clang-format --dry-run --Werror "$f" >/dev/null 2>&1 || drift+=("$f")
done
if [[ ${#drift[@]} -gt 0 ]]; then
  echo "not formatted (scripts/check-format.sh --fix):"
  printf '  %s\n' "${drift[@]}"
  exit 1
fi
echo "${#files[@]} files formatted"
