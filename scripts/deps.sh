#!/usr/bin/env bash
# Installs the Debian packages a make target needs; skips apt-get when all are there.
# Usage: scripts/deps.sh run|test|bench|package
set -euo pipefail

# libgtk-3-dev, libx11-dev: window hints and the X11 tray probe; the D-Bus
# item's menu is served by libdbusmenu-glib; libxss: the X11 idle time. CLI11 and nlohmann-json: the
# command line's arguments and JSON. librsvg2-bin: the icons' pictures, from their SVG.
# libutf8proc: the display width of task names in the report and the tables.
# e2fsprogs: the index test makes a file system with whole-second times.
common="build-essential cmake pkg-config libwxgtk3.2-dev libgtk-3-dev libx11-dev libdbusmenu-glib-dev libxss-dev xdg-utils libcli11-dev nlohmann-json3-dev librsvg2-bin libutf8proc-dev"
# dpkg-dev: dpkg-shlibdeps, for the packages' dependencies.
package="dpkg-dev"
case "${1:-test}" in
  run)   pkgs="$common" ;;
  package) pkgs="$common $package" ;;
  test)  pkgs="$common timewarrior python3-icalendar libgtest-dev libgmock-dev xvfb xauth xdotool trayer x11-utils imagemagick clang libclang-rt-14-dev strace faketime dbus-daemon haskell-status-notifier-item-utils python3 python3-gi libglib2.0-bin weston python3-dbusmock $package lintian appstream desktop-file-utils e2fsprogs" ;;
  bench) pkgs="$common libbenchmark-dev timewarrior hyperfine xvfb xauth" ;;
  *) echo "usage: $0 run|test|bench|package" >&2; exit 2 ;;
esac

missing=""
for p in $pkgs; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
[ -z "$missing" ] && exit 0

echo "Installing:$missing"
sudo=""
if [ "$(id -u)" != 0 ]; then
  command -v sudo >/dev/null || { echo "need root or sudo to install:$missing" >&2; exit 1; }
  sudo="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
# shellcheck disable=SC2086
$sudo apt-get install -y -qq --no-install-recommends $missing
