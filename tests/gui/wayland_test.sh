#!/usr/bin/env bash
# End to end: zovtray as a native Wayland client of a headless Weston, with
# no X display at all. It must start, say why it shows an ordinary window,
# and map that window (read back from the compositor's scene graph); a second
# start must reach it over the session bus.
# Usage (under dbus-run-session): wayland_test.sh path/to/zovtray
set -euo pipefail

zovtray=$1
work=$(mktemp -d)
weston_pid=""
zov_pid=""
cleanup() {
  [ -n "$zov_pid" ] && kill "$zov_pid" 2>/dev/null || true
  [ -n "$weston_pid" ] && kill "$weston_pid" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "wayland: FAIL: $*" >&2
  for f in zovtray.log weston.log; do
    [ -f "$work/$f" ] && { echo "--- $f" >&2; grep -v "GDK_IS_SEAT\|GDK_IS_DEVICE\|^$" "$work/$f" | tail -20 >&2; }
  done
  exit 1
}
wait_for() {  # tenths of a second, command
  local tries=$1
  shift
  while ! "$@" >/dev/null 2>&1; do
    tries=$((tries - 1))
    [ "$tries" -gt 0 ] || return 1
    sleep 0.1
  done
}

export XDG_RUNTIME_DIR="$work/run"
mkdir -m 700 "$XDG_RUNTIME_DIR"
unset DISPLAY GDK_BACKEND
export HOME="$work/home"
unset XDG_DATA_HOME XDG_CONFIG_HOME
mkdir -p "$HOME"

socket="zov-wayland-$$"
# --debug opens the scene-graph scope that shows which windows are mapped.
weston --backend=headless-backend.so --socket="$socket" --idle-time=0 --debug \
  >"$work/weston.log" 2>&1 &
weston_pid=$!
wait_for 100 test -S "$XDG_RUNTIME_DIR/$socket" || fail "weston did not start"
export WAYLAND_DISPLAY=$socket

start=$(date +%s%N)
"$zovtray" >"$work/zovtray.log" 2>&1 &
zov_pid=$!
mapped() {
  timeout 5 weston-debug scene-graph 2>/dev/null |
    grep -q "role xdg_toplevel, PID $zov_pid, .*top-level window 'ZOV - Zovaro - V1.0-02 - "
}
wait_for 150 mapped || fail "no window of zovtray in the compositor's scene graph"
echo "wayland: window mapped $(( ($(date +%s%N) - start) / 1000000 )) ms after start"
kill -0 "$zov_pid" 2>/dev/null || fail "zovtray ended"
grep -qx "zovtray: shown as an ordinary window (no StatusNotifierWatcher; the display is not X11)" \
  "$work/zovtray.log" || fail "the choice was not logged"

set +e
timeout 20 "$zovtray" >"$work/second.log" 2>&1
status=$?
set -e
[ "$status" -eq 0 ] || fail "the second start ended with $status"
! grep -q "shown as" "$work/second.log" || fail "the second start showed itself"
kill -0 "$zov_pid" 2>/dev/null || fail "the first zovtray ended after the second start"
echo "wayland: PASS"
