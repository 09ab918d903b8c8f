#!/usr/bin/env bash
# tests/package_check.sh SOURCE_DIR WORK_DIR VERSION
# Builds the Debian package with scripts/package.sh and checks what a Debian user gets: lintian
# has no error or warning, the .deb holds exactly the program, its desktop entry, metadata,
# icons, manual page and Debian's own documents, its dependencies were computed and apt can
# install it, and the program unpacked from it starts from its desktop entry, as a menu starts
# it, on a seeded store against the mocked UPower and shows the battery in its tray tip.
set -uo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

# --start ROOT: the last step, inside run-with-upower-mock.sh --x11.
if [[ ${1:-} == --start ]]; then
  root=$2
  . "$here/upower-mock.sh"
  seed_store
  # The entry names the program without a path, as an installed one finds it in /usr/bin.
  PATH=$root/usr/bin:$PATH QT_LOGGING_RULES="orvane.display.debug=true" \
    gio launch "$root/usr/share/applications/example.merrowin.Orvane.desktop" >>"$log" 2>&1 ||
    fail "gio launch could not start the desktop entry"
  wait_for eval 'pid=$(pidof -s "$root/usr/bin/orvane")' || fail "no program from the package runs"
  track "$pid"
  wait_log 'tip: Status: 85% Remaining | Time: 2:05 | Pwr: Battery' ||
    fail "the tray tip did not show the battery"
  wait_for docked || fail "no icon docked in the tray"
  # Task bars find the entry, its name and icon, for a window through its WM_CLASS.
  entry_class=$(sed -n 's/^StartupWMClass=//p' "$root/usr/share/applications/example.merrowin.Orvane.desktop")
  main=$(wait_window "$pid" Orvane) || fail "no main window"
  xprop -id "$main" WM_CLASS | grep -qF ", \"$entry_class\"" ||
    fail "the window's class ($(xprop -id "$main" WM_CLASS)) is not the entry's StartupWMClass ($entry_class)"
  # Started by gio, it is not our child: gone, or a zombie left to whoever adopted it.
  ended() { [[ ! -e /proc/$pid ]] || [[ $(cut -d' ' -f3 "/proc/$pid/stat" 2>/dev/null) == Z ]]; }
  kill -TERM "$pid"
  wait_for ended || fail "still running 10 s after SIGTERM"
  echo "the packaged program started from its desktop entry and showed its tray tip"
  exit 0
fi

[[ $# -eq 3 ]] || { echo "usage: $0 SOURCE_DIR WORK_DIR VERSION" >&2; exit 2; }
src=$1 work=$2 version=$3
skip() { echo "SKIP: $* (scripts/deps.sh package installs it)"; exit 77; }
for tool in dpkg-buildpackage dh lintian dpkg-deb; do
  command -v "$tool" >/dev/null || skip "$tool is missing"
done
(cd "$src" && dpkg-checkbuilddeps) || skip "build dependencies are missing"

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
rm -rf "$work"
mkdir -p "$work"
# The unit tests the package build would run are the suite's own, run in its other legs.
# scripts/package.sh ends with lintian on everything it built, failing on errors and warnings.
if ! DEB_BUILD_OPTIONS="${DEB_BUILD_OPTIONS:+$DEB_BUILD_OPTIONS }nocheck" \
    "$src/scripts/package.sh" --out "$work/dist" >"$work/package.log" 2>&1; then
  tail -n 60 "$work/package.log"
  echo "FAIL: scripts/package.sh failed (log: $work/package.log)"
  exit 1
fi

arch=$(dpkg --print-architecture)
deb=$work/dist/orvane_${version}_$arch.deb
dbgsym=$work/dist/orvane-dbgsym_${version}_$arch.deb
[[ -f $deb ]] || { ls -l "$work/dist"; echo "FAIL: no $(basename "$deb"); does debian/changelog say $version?"; exit 1; }
[[ -f $dbgsym ]] || fail "no debug symbols package"

# The version is written in four places; they must agree.
grep -q "<release version=\"$version\"" "$src/packaging/example.merrowin.Orvane.metainfo.xml" ||
  fail "the AppStream metadata has no release $version"
grep -q "^\.TH ORVANE 1 .*\"Orvane $version\"" "$src/packaging/orvane.1" || fail "the manual page is not for $version"

echo "=== contents"
expected=(usr/bin/orvane usr/share/applications/example.merrowin.Orvane.desktop
  usr/share/{doc/orvane/{changelog.gz,copyright},man/man1/orvane.1.gz}
  usr/share/icons/hicolor/{16x16,32x32,48x48,64x64,128x128}/apps/orvane.png
  usr/share/{icons/hicolor/scalable/apps/orvane.svg,metainfo/example.merrowin.Orvane.metainfo.xml})
actual=$(dpkg-deb --fsys-tarfile "$deb" | tar -t | grep -v '/$' | sed 's|^\./||' | LC_ALL=C sort)
if [[ $actual != "$(printf '%s\n' "${expected[@]}" | LC_ALL=C sort)" ]]; then
  fail "unexpected contents:"
  diff <(printf '%s\n' "${expected[@]}" | LC_ALL=C sort) <(echo "$actual")
fi

field() { dpkg-deb -f "$deb" "$1"; }
depends=$(field Depends)
# Computed from the program's libraries, not listed by hand, plus what it runs.
for want in 'libqt6widgets6 (>= ' 'libqt6dbus6 (>= ' 'libxcb1' 'libc6 (>= ' 'xdg-utils'; do
  [[ $depends == *"$want"* ]] || fail "Depends lacks $want: $depends"
done
[[ $(field Recommends) == *upower* ]] || fail "UPower is not recommended: $(field Recommends)"

# What apt would do with "apt install ./orvane_*.deb" on this machine.
if ! out=$(apt-get install -s --no-install-recommends "$deb" 2>&1) || ! grep -q '^Inst orvane ' <<<"$out"; then
  echo "$out"; fail "apt would not install the package"
fi

echo "=== start"
root=$work/unpacked
dpkg-deb -x "$deb" "$root"
if missing=$(ldd "$root/usr/bin/orvane" | grep 'not found'); then fail "unresolved libraries: $missing"; fi
"$here/run-with-upower-mock.sh" --x11 -- "$0" --start "$root"
case $? in
  0) ;;
  77) [[ $failures -eq 0 ]] && skip "the X11 test harness" ;;
  *) fail "the unpacked program did not start as it should" ;;
esac

[[ $failures -eq 0 ]] || exit 1
echo "package check passed: $(basename "$deb") builds, is lintian-clean, installs and starts"
