#!/usr/bin/env bash
# Installs the Debian packages Orvane needs, but only when some are missing,
# so a re-run is fast and works offline.
#
#   scripts/deps.sh run           what building and starting the app needs
#   scripts/deps.sh package       what scripts/package.sh needs to build the Debian package
#   scripts/deps.sh test          all of the above plus what the test suite needs
#   scripts/deps.sh --check SET   exit 0 when SET is fully installed, install nothing
set -euo pipefail

run_set=(cmake ninja-build g++ qt6-base-dev libxcb1-dev libdbus-1-dev pkgconf libboost-dev xdg-utils)
test_set=(libbenchmark-dev
          python3-dbusmock python3-gi dbus dbus-daemon libglib2.0-bin
          xvfb xauth x11-utils xdotool trayer imagemagick
          umockdev gir1.2-umockdev-1.0 upower desktop-file-utils openbox
          weston xwayland clang libclang-rt-dev clang-format appstream
          g++-mingw-w64-x86-64 wine64
          at-spi2-core gir1.2-atspi-2.0
          # a locale with a decimal comma, for the stored numbers' test in it
          locales-all
          # the desktops whose panels the tray is tried on
          xfce4-panel xfwm4 lxqt-panel gnome-shell gnome-shell-extension-appindicator
          sway waybar kwin-x11 plasma-desktop plasma-workspace)
package_set=(build-essential dpkg-dev debhelper lintian libgtest-dev libgmock-dev)

usage() {
  echo "usage: $0 [--check] run|package|test" >&2
  exit 2
}

check_only=0
if [[ ${1:-} == --check ]]; then
  check_only=1
  shift
fi
[[ $# -eq 1 ]] || usage
case $1 in
  run) wanted=("${run_set[@]}") ;;
  package) wanted=("${run_set[@]}" "${package_set[@]}") ;;
  test) wanted=("${run_set[@]}" "${package_set[@]}" "${test_set[@]}") ;;
  *) usage ;;
esac

# One dpkg-query call: unknown packages go to stderr and simply stay "missing".
installed=$(dpkg-query -W -f='${Package} ${db:Status-Abbrev}\n' "${wanted[@]}" 2>/dev/null \
              | awk '$2 == "ii" { print $1 }' || true)
missing=()
for pkg in "${wanted[@]}"; do
  grep -qxF -- "$pkg" <<<"$installed" || missing+=("$pkg")
done

if [[ ${#missing[@]} -eq 0 ]]; then
  exit 0
fi
if [[ $check_only -eq 1 ]]; then
  exit 1
fi

as_root=()
if [[ $(id -u) -ne 0 ]]; then
  if command -v sudo >/dev/null 2>&1; then
    as_root=(sudo)
  else
    echo "$0: missing packages (${missing[*]}); run as root or install sudo" >&2
    exit 1
  fi
fi

echo "Installing: ${missing[*]}"
apt_opts=(-o DPkg::Lock::Timeout=900 -q)
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get "${apt_opts[@]}" update
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive \
  apt-get "${apt_opts[@]}" install -y --no-install-recommends "${missing[@]}"
