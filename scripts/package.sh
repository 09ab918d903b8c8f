#!/usr/bin/env bash
# Builds the Debian package from this checkout: orvane_<version>_<arch>.deb, its debug symbols
# package, .buildinfo and .changes, then checks them with lintian (errors and warnings fail).
# The build runs the unit tests; DEB_BUILD_OPTIONS=nocheck skips them.
#
#   scripts/package.sh [--out DIR]     default DIR: build/package
#
# The package is built in a temporary copy of the checkout's files (tracked and not ignored),
# so the checkout and its build trees are left as they are.
set -euo pipefail

root=$(cd "$(dirname "$(readlink -f "${BASH_SOURCE[0]}")")/.." && pwd)
out=$root/build/package
while [[ $# -gt 0 ]]; do
  case $1 in
    --out) out=${2:?--out needs a directory}; shift 2 ;;
    *) echo "usage: $0 [--out DIR]" >&2; exit 2 ;;
  esac
done

"$root/scripts/deps.sh" package

work=$(mktemp -d "${TMPDIR:-/tmp}/orvane-package.XXXXXX")
trap 'rm -rf "$work"' EXIT
version=$(dpkg-parsechangelog -l "$root/debian/changelog" -S Version)
src=$work/orvane-$version
mkdir -p "$src"
if git -C "$root" rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  # Files deleted but not yet committed are skipped.
  (cd "$root" && git ls-files -z --cached --others --exclude-standard \
     | xargs -0 sh -c 'for f; do [ -e "$f" ] && printf "%s\0" "$f"; done' sh \
     | tar --null -T - -cf -) | tar -C "$src" -xf -
else
  tar -C "$root" --exclude=./build --exclude='./build-*' --exclude='./obj-*' -cf - . | tar -C "$src" -xf -
fi

jobs=${ORVANE_JOBS:-$(nproc)}
export DEB_BUILD_OPTIONS="${DEB_BUILD_OPTIONS:+$DEB_BUILD_OPTIONS }parallel=$jobs"
(cd "$src" && dpkg-buildpackage -us -uc -b)

mkdir -p "$out"
arch=$(dpkg --print-architecture)
changes=orvane_${version}_$arch.changes
files=("$changes" orvane_${version}_$arch.buildinfo)
# Every .deb the .changes lists (the program and its -dbgsym).
mapfile -t debs < <(sed -n '/^Files:/,/^[^ ]/{ s/^ .* \([^ ]*\.deb\)$/\1/p }' "$work/$changes")
files+=("${debs[@]}")
for f in "${files[@]}"; do
  cp "$work/$f" "$out/"
done

echo "=== lintian"
lintian --fail-on error,warning --display-info "$out/$changes"
echo "Built in $out:"
printf '  %s\n' "${files[@]}"
