#!/usr/bin/env bash
# tests/install_check.sh BUILD_DIR [PREFIX [ICON_SIZE...]]
# Installs into a throw-away DESTDIR and checks that the program, its menu entry and its icons
# land where a desktop looks for them, and agree with each other.
set -euo pipefail
[[ $# -ge 1 ]] || { echo "usage: $0 BUILD_DIR [PREFIX [ICON_SIZE...]]" >&2; exit 2; }
build=$1 prefix=${2:-/usr} sizes=("${@:3}")
[[ ${#sizes[@]} -gt 0 ]] || sizes=(16 32 48 64 128)

destdir=$(mktemp -d "${TMPDIR:-/tmp}/orvane-install.XXXXXX")
trap 'rm -rf "$destdir"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
if ! log=$(DESTDIR=$destdir cmake --install "$build" --prefix "$prefix" 2>&1); then
  echo "$log"; echo "FAIL: cmake --install failed"; exit 1
fi
root=$destdir$prefix

# check PATH WHAT TEST...: PATH (under the prefix) is installed, and TEST run on it says it is WHAT.
check() {
  if [[ ! -f $root/$1 ]]; then fail "$prefix/$1 was not installed ($2)"
  elif ! "${@:3}" "$root/$1"; then fail "$prefix/$1 is not $2"
  fi
}
elf() { [[ -x $1 && $(od -An -c -N4 "$1" | tr -d ' ') == '177ELF' ]]; }
# png_of N FILE: an N x N PNG image, by its header.
png_of() {
  [[ $(od -An -tx1 -N8 "$2" | tr -d ' \n') == 89504e470d0a1a0a ]] &&
    [[ $(od -An -tu1 -j16 -N8 "$2" | awk '{ printf "%d %d", ((($1*256+$2)*256+$3)*256+$4), ((($5*256+$6)*256+$7)*256+$8) }') == "$1 $1" ]]
}
desktop_key() {
  awk -F= -v key="$2" '/^\[/ { group = $0; next }
    group == "[Desktop Entry]" && $1 == key { sub(/^[^=]*=/, ""); print; exit }' "$1"
}

check bin/orvane "an executable ELF program" elf
# A menu runs the entry's program from PATH, which finds it in bin/, and shows the icons' name.
runs_installed() {
  local program
  program=$(desktop_key "$1" Exec) program=${program%% *}
  [[ $program == [!/]* && -x $root/bin/$program && $(desktop_key "$1" Icon) == orvane ]]
}
check share/applications/example.merrowin.Orvane.desktop \
  "a desktop entry that runs the installed program from PATH with the icon 'orvane'" runs_installed
check share/icons/hicolor/scalable/apps/orvane.svg "an SVG image" grep -q '<svg'
for n in "${sizes[@]}"; do
  check "share/icons/hicolor/${n}x${n}/apps/orvane.png" "a ${n}x${n} PNG image" png_of "$n"
done
check share/metainfo/example.merrowin.Orvane.metainfo.xml "AppStream metadata that launches the installed desktop entry" \
  grep -q '<launchable type="desktop-id">example.merrowin.Orvane.desktop</launchable>'
check share/man/man1/orvane.1 "a manual page" test -f

if [[ $failures -ne 0 ]]; then
  echo "Installed files:"; (cd "$destdir" && find . -type f | sort); exit 1
fi
echo "install check passed: program, desktop entry, metadata, manual page and ${#sizes[@]}+1 icons under $prefix"
