#!/usr/bin/env bash
# What a user does with the package, on this machine: checks what the two
# packages hold (files, soname, icon sizes, lintian, appstreamcli,
# desktop-file-validate), installs zov with apt-get, runs the installed
# zov and zovtray, purges it and checks that the machine holds the same files
# and packages as before. Needs root (CI is); restores the machine on any exit.
# Usage: install_test.sh SOURCE-DIR BUILD-DIR   (after `make package`)
set -euo pipefail
src=$(cd "$1" && pwd)
build=$(cd "$2" && pwd)

fail() { echo "package: FAIL: $*" >&2; exit 1; }
if [ "$(id -u)" != 0 ]; then
  echo "package: SKIP: installing a package needs root (CI runs as root)"
  exit 0
fi
for p in zov zov-dev; do
  if dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed"; then
    echo "package: SKIP: $p is installed on this machine and would be replaced"
    exit 0
  fi
done

shopt -s nullglob
debs=("$src"/zov_*.deb)
devs=("$src"/zov-dev_*.deb)
(( ${#debs[@]} == 1 && ${#devs[@]} == 1 )) ||
  fail "expected one zov_*.deb and one zov-dev_*.deb in $src (make package)"
deb=${debs[0]}
dev=${devs[0]}

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
app_id=$(sed -n 's/^Icon=//p' "$build/packaging/"*.desktop)
[[ -n $version && -n $app_id ]] || fail "no version or app id in $build"
commit=""
if git -C "$src" rev-parse --git-dir >/dev/null 2>&1; then
  commit=$(git -C "$src" rev-parse --short=10 HEAD)
fi

work=$(mktemp -d)
installed=""
packages_before="$work/packages.before"
files_before="$work/files.before"

# Every file and folder a package may add, and the packages installed.
files() {
  find /usr /etc /opt /var/lib/dpkg/info -xdev 2>/dev/null | sort
}
packages() {
  dpkg-query -W -f='${Package}:${Architecture} ${db:Status-Abbrev}\n' | sort
}

# Purges zov, then what its installation pulled in (say, recommended packages).
purge() {
  export DEBIAN_FRONTEND=noninteractive
  apt-get purge -y -qq zov >"$work/apt.log" 2>&1 || return 1
  local extra
  extra=$(comm -13 <(awk '/ ii /{print $1}' "$packages_before") \
                   <(packages | awk '/ ii /{print $1}') | tr '\n' ' ')
  if [ -n "$extra" ]; then
    echo "package: purging what the installation pulled in: $extra"
    # shellcheck disable=SC2086
    apt-get purge -y -qq $extra >>"$work/apt.log" 2>&1 || return 1
  fi
}

restore() {
  local status=$?
  if [ -n "$installed" ]; then
    purge || echo "package: the purge failed: $(cat "$work/apt.log")" >&2
  fi
  rm -rf "$work"
  exit "$status"
}
trap restore EXIT

# --- what the packages hold ---
dpkg-deb -c "$deb" | awk '{ print $6 }' | sed 's|^\./|/|' >"$work/zov.list"
dpkg-deb -c "$dev" | awk '{ print $6 }' | sed 's|^\./|/|' >"$work/zov-dev.list"
has() {  # package, path pattern (grep -E, anchored)
  grep -Eq "^$2\$" "$work/$1.list" || fail "$1 lacks $2"
}
lacks() {
  ! grep -Eq "$2" "$work/$1.list" || fail "$1 holds $(grep -E "$2" "$work/$1.list" | head -1)"
}
has zov /usr/bin/zov
has zov /usr/bin/zovtray
has zov "/usr/lib/(.*/)?libzovkernel\.so\.1"
has zov "/usr/lib/(.*/)?libzovkernel\.so\.$version"
has zov "/usr/lib/(.*/)?libvu_utils\.so\.1"
has zov /usr/share/man/man1/zov.1.gz
has zov /usr/share/man/man1/zovtray.1.gz
has zov /usr/share/bash-completion/completions/zov
has zov "/usr/share/applications/$app_id.desktop"
has zov "/usr/share/metainfo/$app_id.metainfo.xml"
has zov "/usr/share/icons/hicolor/scalable/apps/$app_id.svg"
has zov "/usr/share/icons/hicolor/scalable/status/$app_id-working.svg"
has zov "/usr/share/icons/hicolor/scalable/status/$app_id-sleeping.svg"
for size in 16 22 24 32 48 64 128 256; do
  has zov "/usr/share/icons/hicolor/${size}x$size/apps/$app_id.png"
done
has zov /usr/share/doc/zov/copyright
# No autostart entry: starting at log-in is the user's tick on the Options page.
lacks zov "autostart|^/etc/"
lacks zov "^/usr/include/|\.so$|\.pc$|\.cmake$"
has zov-dev /usr/include/zov/zovKernel.h
has zov-dev /usr/include/zov/zovVersion.h
has zov-dev "/usr/lib/(.*/)?libzovkernel\.so"
has zov-dev "/usr/lib/(.*/)?cmake/zovkernel/zovkernelConfig\.cmake"
has zov-dev "/usr/lib/(.*/)?pkgconfig/zovkernel\.pc"
lacks zov-dev "/usr/bin/|\.so\.1"
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "zov's version is $(dpkg-deb -f "$deb" Version)"
dpkg-deb -f "$deb" Depends | grep -q "libwxgtk3.2" || fail "no dependency on wxWidgets: $(dpkg-deb -f "$deb" Depends)"

mkdir "$work/x"
dpkg-deb -x "$deb" "$work/x"
lib=$(find "$work/x" -name "libzovkernel.so.$version")
readelf -d "$lib" | grep -q 'SONAME.*\[libzovkernel\.so\.1\]' || fail "libzovkernel's soname: $(readelf -d "$lib" | grep SONAME)"
for size in 16 22 24 32 48 64 128 256; do
  got=$(identify -format '%wx%h' "$work/x/usr/share/icons/hicolor/${size}x$size/apps/$app_id.png")
  [ "$got" = "${size}x$size" ] || fail "the ${size}x$size icon is $got"
done
desktop-file-validate "$work/x/usr/share/applications/$app_id.desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "$work/x/usr/share/metainfo/$app_id.metainfo.xml" >"$work/as.log" 2>&1 ||
  fail "appstreamcli validate: $(cat "$work/as.log")"
lintian --fail-on error "$deb" "$dev" 2>&1 | grep -v "running with root privileges" || true
lintian --fail-on error "$deb" "$dev" >/dev/null 2>&1 || fail "lintian reports errors"

# --- install as a user does ---
packages >"$packages_before"
files >"$files_before"
installed=yes
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$deb" >"$work/apt.log" 2>&1 ||
  fail "apt-get install: $(cat "$work/apt.log")"

expect="$version"
[ -n "$commit" ] && expect="$version (git $commit"
got=$(/usr/bin/zov --version)
case "$got" in "zov $expect"*) ;; *) fail "zov --version says \"$got\", expected zov $expect...";; esac
got=$(/usr/bin/zovtray --version)
case "$got" in "zovtray $expect"*) ;; *) fail "zovtray --version says \"$got\"";; esac
ldd /usr/bin/zovtray | grep -Eq "libzovkernel\.so\.1 => /usr/(bin/\.\./)?lib/" ||
  fail "zovtray does not load the installed kernel: $(ldd /usr/bin/zovtray | grep zov)"

home="$work/home"
mkdir -p "$home"
run_zov() { env -u XDG_DATA_HOME -u XDG_CONFIG_HOME HOME="$home" /usr/bin/zov "$@"; }
run_zov login Packaging | grep -q "^Packaging working since" || fail "zov login"
grep -q "^Packaging .*ACTIVE" "$home/.local/share/Zovaro/CURRENT.TSK" || fail "no running session"
run_zov logout | grep -q "^Packaging sleeping since" || fail "zov logout"
grep -q "^Packaging " "$home/.local/share/Zovaro/HOURS.TSK" || fail "the session was not recorded"

tray_home="$work/tray-home"
mkdir -p "$tray_home"
title="ZOV - Zovaro - $(echo "$version" | awk -F. '{ printf "V%d.%d-%02d", $1, $2, $3 }') - "
env -u XDG_DATA_HOME -u XDG_CONFIG_HOME -u DBUS_SESSION_BUS_ADDRESS -u DISPLAY -u WAYLAND_DISPLAY \
  HOME="$tray_home" NO_AT_BRIDGE=1 xvfb-run -a dbus-run-session -- \
  /usr/bin/python3 "$src/tests/package/installed_tray.py" /usr/bin/zovtray "$app_id" "$title" ||
  fail "the installed zovtray: $(cat "$tray_home/zovtray.log" 2>/dev/null)"

# --- remove as a user does ---
installed=""
purge || fail "apt-get purge: $(cat "$work/apt.log")"
packages >"$work/packages.after"
files >"$work/files.after"
diff "$packages_before" "$work/packages.after" >"$work/packages.diff" ||
  fail "the packages differ after the purge: $(cat "$work/packages.diff")"
diff "$files_before" "$work/files.after" >"$work/files.diff" ||
  fail "files left or lost after the purge: $(head -20 "$work/files.diff")"
echo "package: PASS ($(basename "$deb"), $(basename "$dev"))"
