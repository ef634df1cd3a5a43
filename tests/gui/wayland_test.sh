#!/usr/bin/env bash
# End to end: zovtray as a native Wayland client of a headless Weston, with
# no X display at all. It must start, say why it shows an ordinary window,
# and map that window (read back from the compositor's scene graph); a second
# start must reach it over the session bus. Then, with a panel on the bus, it
# must show its item over D-Bus and end from the item's menu.
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
kill "$zov_pid"
wait "$zov_pid" 2>/dev/null || true
zov_pid=""

# A panel on the session bus: Debian's watcher, and this script as its host.
watcher_pid=""
status-notifier-watcher >"$work/watcher.log" 2>&1 &
watcher_pid=$!
trap 'kill $watcher_pid 2>/dev/null || true; cleanup' EXIT
watcher() {
  gdbus call --session -d org.kde.StatusNotifierWatcher -o /StatusNotifierWatcher "$@"
}
items() {
  watcher -m org.freedesktop.DBus.Properties.Get org.kde.StatusNotifierWatcher \
    RegisteredStatusNotifierItems
}
wait_for 100 items || fail "the watcher did not start"
watcher -m org.kde.StatusNotifierWatcher.RegisterStatusNotifierHost \
  org.kde.StatusNotifierHost-$$ >/dev/null
"$zovtray" >"$work/zovtray.log" 2>&1 &
zov_pid=$!
registered() { items | grep -q "org.kde.StatusNotifierItem-$zov_pid-"; }
wait_for 150 registered || fail "the item was not registered"
grep -q "zovtray: shown as a StatusNotifierItem" "$work/zovtray.log" ||
  fail "the item was not chosen under Wayland"
item="org.kde.StatusNotifierItem-$zov_pid-1"
layout=$(gdbus call --session -d "$item" -o /MenuBar -m com.canonical.dbusmenu.GetLayout 0 'int32 -1' '@as []')
exit_id=$(grep -oE "\(([0-9]+), \{[^}]*'label': <'E_xit'>" <<<"$layout" | grep -oE '^\([0-9]+' | tr -d '(')
[ -n "$exit_id" ] || fail "no Exit in the item's menu: $layout"
gdbus call --session -d "$item" -o /MenuBar -m com.canonical.dbusmenu.Event \
  "$exit_id" clicked '<"">' 0 >/dev/null
status=""
for _ in $(seq 100); do
  if ! kill -0 "$zov_pid" 2>/dev/null; then
    set +e
    wait "$zov_pid"
    status=$?
    set -e
    break
  fi
  sleep 0.1
done
[ "$status" = 0 ] || fail "after Exit from the item's menu: status '${status:-still running}'"
zov_pid=""
echo "wayland: PASS"
