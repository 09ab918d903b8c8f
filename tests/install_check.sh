#!/usr/bin/env bash
# tests/install_check.sh BUILD_DIR [PREFIX [ICON_SIZE...]]
# Installs into a throw-away DESTDIR and checks that the program, its menu entry and its icons
# land where a desktop looks for them, and agree with each other.
set -euo pipefail
[[ $# -ge 1 ]] || { echo "usage: $0 BUILD_DIR [PREFIX [ICON_SIZE...]]" >&2; exit 2; }
build=$1 prefix=${2:-/usr}
shift $(($# >= 2 ? 2 : 1))
sizes=("$@")
[[ ${#sizes[@]} -gt 0 ]] || sizes=(16 32 48 64 128)

destdir=$(mktemp -d "${TMPDIR:-/tmp}/orvane-install.XXXXXX")
trap 'rm -rf "$destdir"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
if ! log=$(DESTDIR=$destdir cmake --install "$build" --prefix "$prefix" 2>&1); then
  echo "$log"; echo "FAIL: cmake --install failed"; exit 1
fi
root=$destdir$prefix

# "W H" from the PNG header
png_size() {
  [[ $(od -An -tx1 -N8 "$1" | tr -d ' \n') == 89504e470d0a1a0a ]] || return 1
  od -An -tu1 -j16 -N8 "$1" | awk '{ printf "%d %d\n", ((($1*256+$2)*256+$3)*256+$4), ((($5*256+$6)*256+$7)*256+$8) }'
}
desktop_key() {
  awk -F= -v key="$2" '/^\[/ { group = $0; next }
    group == "[Desktop Entry]" && $1 == key { sub(/^[^=]*=/, ""); print; exit }' "$1"
}

binary=$root/bin/orvane
if [[ ! -f $binary || ! -x $binary ]]; then fail "no executable at ${binary#"$destdir"}"
elif [[ $(od -An -c -N4 "$binary" | tr -d ' ') != '177ELF' ]]; then fail "${binary#"$destdir"} is not an ELF program"
fi

entry=$root/share/applications/example.merrowin.Orvane.desktop
if [[ ! -f $entry ]]; then fail "no desktop entry at ${entry#"$destdir"}"
else
  program=$(desktop_key "$entry" Exec) program=${program%% *}
  if [[ -z $program ]]; then fail "desktop entry has no Exec"
  elif [[ $program == /* ]]; then fail "desktop entry runs an absolute path ($program); it must be found on PATH"
  elif [[ ! -x $root/bin/$program ]]; then fail "desktop entry runs '$program', which was not installed into bin/"
  fi
  icon_name=$(desktop_key "$entry" Icon)
  [[ $icon_name == orvane ]] || fail "desktop entry names icon '$icon_name', but the installed icons are 'orvane'"
fi

svg=$root/share/icons/hicolor/scalable/apps/orvane.svg
if [[ ! -f $svg ]]; then fail "no scalable icon at ${svg#"$destdir"}"
elif ! grep -q '<svg' "$svg"; then fail "${svg#"$destdir"} is not an SVG image"
fi

for n in "${sizes[@]}"; do
  png=$root/share/icons/hicolor/${n}x${n}/apps/orvane.png
  if [[ ! -f $png ]]; then fail "no ${n}px icon at ${png#"$destdir"}"
  elif ! dims=$(png_size "$png"); then fail "${png#"$destdir"} is not a PNG image"
  elif [[ $dims != "$n $n" ]]; then fail "${png#"$destdir"} is ${dims/ /x}, not ${n}x${n}"
  fi
done

metainfo=$root/share/metainfo/example.merrowin.Orvane.metainfo.xml
if [[ ! -f $metainfo ]]; then fail "no AppStream metadata at ${metainfo#"$destdir"}"
elif ! grep -q '<launchable type="desktop-id">example.merrowin.Orvane.desktop</launchable>' "$metainfo"; then
  fail "the AppStream metadata does not launch the installed desktop entry"
fi
[[ -f $root/share/man/man1/orvane.1 ]] || fail "no manual page at $prefix/share/man/man1/orvane.1"

if [[ $failures -ne 0 ]]; then
  echo "Installed files:"; (cd "$destdir" && find . -type f | sort); exit 1
fi
echo "install check passed: program, desktop entry, metadata, manual page and ${#sizes[@]}+1 icons under $prefix"
