#!/usr/bin/env bash
# End to end: the real zovtray in a notification area (trayer) on the current
# X display, with a fresh home folder. Clicks the icon to show and hide the
# dialog, chooses "Exit" from the icon's menu, and checks the exit status and
# the data folder. Saves a screenshot of the open dialog.
# Usage (under xvfb-run): smoke.sh path/to/zovtray output-folder
set -euo pipefail

zovtray=$1
out=$2
mkdir -p "$out"
work=$(mktemp -d)
tray_pid=""
zov_pid=""
cleanup() {
  [ -n "$zov_pid" ] && kill "$zov_pid" 2>/dev/null || true
  [ -n "$tray_pid" ] && kill "$tray_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

fail() { echo "smoke: FAIL: $*" >&2; exit 1; }
[ -n "${DISPLAY:-}" ] || fail "no DISPLAY; run under xvfb-run"

export HOME="$work/home"
unset XDG_DATA_HOME XDG_CONFIG_HOME
mkdir -p "$HOME"

# Waits up to $1 tenths of a second for the command to succeed.
wait_for() {
  local tries=$1
  shift
  while ! "$@" >/dev/null 2>&1; do
    tries=$((tries - 1))
    [ "$tries" -gt 0 ] || return 1
    sleep 0.1
  done
}

trayer --edge top --align right --widthtype request --height 32 --SetDockType true \
  >"$work/trayer.log" 2>&1 &
tray_pid=$!
panel_up() { xwininfo -root -tree | grep -q '"panel" "trayer"'; }
wait_for 300 panel_up || fail "trayer did not start: $(cat "$work/trayer.log")"

# The icon: a zovtray window embedded in trayer's panel.
icon_line() {
  xwininfo -root -tree | awk '/"panel" "trayer"/ { inpanel = 1 } inpanel && /"zovtray"/ { print; exit }' | grep .
}

# A few sessions of this week, so that the "Time Sheet" page has a week to show.
fixture_dir="$HOME/.local/share/Zovaro"
mkdir -p "$fixture_dir"
monday=$(date -d "$(date +%F) -$(( $(date +%u) - 1 )) days" +%F)
fixture_session() {  # task, days after Monday, from, until, hours
  local day
  day=$(date -d "$monday +$2 days" +%F)
  printf '%s   %s     %s     %s\n' "$1" "$5" "$(date -d "$day $3" +%Y-%m-%dT%H:%M:%S%:z)" \
    "$(date -d "$day $4" +%Y-%m-%dT%H:%M:%S%:z)"
}
{
  fixture_session Design 0 08:00 11:30 3.50
  fixture_session Coding 0 12:00 17:30 5.50
  fixture_session Coding 1 08:30 12:00 3.50
  fixture_session Review 1 13:00 15:00 2.00
  fixture_session Design 2 07:00 08:30 1.50
} >"$fixture_dir/HOURS.TSK"

start=$(date +%s%N)
"$zovtray" >"$work/zovtray.log" 2>&1 &
zov_pid=$!
wait_for 300 icon_line || fail "no icon in the notification area"
icon_ms=$(( ($(date +%s%N) - start) / 1000000 ))
sleep 0.5  # let start-up settle before reading the memory
rss_kib=$(awk '/^VmRSS/ { print $2 }' "/proc/$zov_pid/status")
echo "smoke: icon visible ${icon_ms} ms after start; resident memory ${rss_kib} KiB"

# Centre of the icon from "WxH+x+y  +absx+absy".
read -r w h x y < <(icon_line | sed -E 's/.* ([0-9]+)x([0-9]+)[+-][0-9]+[+-][0-9]+ +\+(-?[0-9]+)\+(-?[0-9]+).*/\1 \2 \3 \4/')
cx=$((x + w / 2))
cy=$((y + h / 2))

title="ZOV - Zovaro - V1.0-02 - $(hostname)"
dialog_shown() { xdotool search --onlyvisible --name "^${title}\$" | grep -q .; }

xdotool mousemove "$cx" "$cy" click 1
wait_for 100 dialog_shown || fail "a click on the icon did not show the dialog \"$title\""
dialog=$(xdotool search --onlyvisible --name "^${title}\$" | head -1)

# Log in to a typed task: click into the "Next" field, type, press "Login".
# The page's layout places the field at the top of the right two thirds and
# "Login" at a fixed distance from the lower right corner, whatever size the
# other pages give the dialog.
sleep 1  # mapped and drawn, also on a busy machine
read -r dw dh < <(xwininfo -id "$dialog" | awk '/Width:/ { w = $2 } /Height:/ { h = $2 } END { print w, h }')
xdotool mousemove --window "$dialog" $((dw / 3 + 40)) 82 click 1
xdotool type --delay 20 "Coding"
xdotool mousemove --window "$dialog" $((dw - 53)) $((dh - 119)) click 1
state="$HOME/.local/share/Zovaro/CURRENT.TSK"
logged_in() { grep -q '^Coding .* ACTIVE' "$state"; }
wait_for 100 logged_in || fail "typing a task and pressing Login did not start it: $(cat "$state")"
sleep 0.5  # drawn
import -window "$dialog" "$out/current-task.png" || fail "no screenshot"

# The other pages, by a click on their tabs. The tabs are found as the runs
# of dark label pixels in the tab strip: Current Task, Time Sheet, Timeline,
# Options.
tab_centres() {
  convert "$out/current-task.png" -crop 10000x16+0+14 +repage -colorspace gray \
    -threshold 50% txt:- | awk -F'[,:]' '/#000000/ { print $1 }' | sort -n | uniq |
    awk 'NR == 1 { s = $1; p = $1; next }
         { if ($1 - p > 12) { print int((s + p) / 2); s = $1 } p = $1 }
         END { print int((s + p) / 2) }'
}
mapfile -t tabs < <(tab_centres)
[ "${#tabs[@]}" -eq 4 ] || fail "found ${#tabs[@]} tab labels in the dialog, not 4"
alive() { kill -0 "$zov_pid" 2>/dev/null || fail "zovtray ended: $(cat "$work/zovtray.log")"; }
xdotool mousemove --window "$dialog" "${tabs[1]}" 22 click 1
sleep 0.7
alive
import -window "$dialog" "$out/time-sheet.png" || fail "no screenshot"

xdotool mousemove --window "$dialog" "${tabs[2]}" 22 click 1
sleep 0.7
alive
import -window "$dialog" "$out/timeline.png" || fail "no screenshot"

# Options: the click on the tab leaves the focus on the box, and a space ticks
# it, which stores at once what the fresh page shows: 17:00, switched on.
xdotool mousemove --window "$dialog" "${tabs[3]}" 22 click 1
sleep 0.7
alive
xdotool key space
settings="$HOME/.config/Zovaro.conf"
auto_logout_on() { grep -qx "AutoLogout=$((17 * 3600))" "$settings"; }
wait_for 50 auto_logout_on ||
  fail "ticking the automatic log-out did not store AutoLogout=61200: $(cat "$settings" 2>&1)"
sleep 0.3
import -window "$dialog" "$out/options.png" || fail "no screenshot"

xdotool mousemove "$cx" "$cy" click 1
dialog_hidden() { ! dialog_shown; }
wait_for 100 dialog_hidden || fail "a second click did not hide the dialog"

# A second start shows the running one's dialog and ends; one icon stays.
set +e
timeout 20 "$zovtray" >"$work/second.log" 2>&1
second=$?
set -e
[ "$second" -eq 0 ] || fail "the second start ended with $second: $(cat "$work/second.log")"
wait_for 100 dialog_shown || fail "a second start did not show the dialog"
icons=$(xwininfo -root -tree | awk '/"panel" "trayer"/ { inpanel = 1 } inpanel && /"zovtray"/ && !/ZOV - Zovaro/' | wc -l)
[ "$icons" -eq 1 ] || fail "$icons icons in the notification area"
xdotool mousemove "$cx" "$cy" click 1
wait_for 100 dialog_hidden || fail "a click did not hide the dialog again"

# The menu: right click; "s" opens "Switch to" with the recent tasks. A
# picture of both, then the "Exit" mnemonic.
xdotool mousemove "$cx" "$cy" click 3
sleep 0.5
xdotool key s
sleep 0.5
alive
import -window root -crop 520x260+$((cx - 440 > 0 ? cx - 440 : 0))+0 +repage "$out/menu.png" ||
  fail "no screenshot"
xdotool key Escape
sleep 0.2
xdotool key Escape
sleep 0.3
xdotool mousemove "$cx" "$cy" click 3
sleep 0.5
xdotool key x

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
[ -n "$status" ] || fail "zovtray still runs 10 s after Exit"
zov_pid=""
[ "$status" -eq 0 ] || { cat "$work/zovtray.log" >&2; fail "exit status $status"; }

data="$HOME/.local/share/Zovaro"
for f in CURRENT.TSK HOURS.TSK LOGINOUT.TSK; do
  [ -f "$data/$f" ] || fail "$data/$f missing"
done
grep -q "^Review " "$data/HOURS.TSK" || fail "the recorded sessions of the week were lost"
# The session runs on after the exit.
logged_in || fail "the running session did not survive the exit: $(cat "$state")"
[ ! -e "$HOME/.Zovaro" ] || fail "a classic settings file ~/.Zovaro appeared"
grep -q "zovtray: shown in the X11 notification area" "$work/zovtray.log" ||
  fail "the choice of the X11 icon was not logged: $(cat "$work/zovtray.log")"
if grep -v "zovtray: shown in the X11" "$work/zovtray.log" | grep -q .; then
  echo "smoke: zovtray wrote:" >&2
  cat "$work/zovtray.log" >&2
fi
echo "smoke: PASS (screenshot $out/current-task.png)"
