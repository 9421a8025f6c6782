#!/usr/bin/env bash
# Full-screen saving end to end: the window covers the screen, draws, ends on Esc
# with status 0 and leaves the full settings hive behind. (A second instance is
# saver_single.sh's.)
source "$(dirname "$0")/common.bash"
start_x
setup_home

start_fullscreen_saver
line=$(xwininfo -root -children | grep '"Screen Saver"' || true)
[ -n "$line" ] || fail "no top-level window titled \"Screen Saver\""
id=$(echo "$line" | awk '{print $1}')
echo "$line" | grep -q '("kiru" "WindowsScreenSaverClass")' || fail "wrong class: $line"
echo "$line" | grep -q ' 1024x768+0+0 ' || fail "does not cover the screen: $line"
info=$(xwininfo -id "$id")
grep -q 'Map State: IsViewable' <<<"$info" || fail "not viewable"
grep -q 'Override Redirect State: yes' <<<"$info" || fail "managed by a window manager"

import -window root "$WORK/shot.png"
[ -s "$WORK/shot.png" ] || fail "no screenshot"
colours=$(convert "$WORK/shot.png" -format '%k' info:)
echo "screenshot after one second: $colours colour(s)"
[ "$colours" -gt 1 ] || fail "nothing drawn after one second"

xdotool key Escape
wait_exit "$KIRU_PID" 10 || fail "Esc did not end the saver"
[ "$EXIT_STATUS" = 0 ] || fail "Esc ended the saver with status $EXIT_STATUS"

[ -s "$HIVE" ] || fail "no settings hive at $HIVE"
head -1 "$HIVE" | grep -q '^REGEDIT4' || fail "hive is not REGEDIT4"
grep -q '^"mod10 active"=dword:00000001$' "$HIVE" || fail "hive lacks the full settings set"
echo "PASS"
