#!/usr/bin/env bash
# The video hardware warning, forced by a measured rate of 5 frames a second: a
# pointer move past the dialog closes the saver while the dialog is open. The
# frame that opened it must not draw with the context the close released: the
# saver ends with status 0 and its settings saved.
source "$(dirname "$0")/common.bash"
start_x
setup_home
sed -i '/disable_frame_warn/d' "$HIVE"

KIRU_TEST_FRAME_RATE=5 start_kiru /s
wait_for_window "Video Hardware Warning -- frames per second: 5" || fail "no warning"
# Written at start; taken away so that the save at the close shows.
sed -i '/^"mod1 speed"=/d' "$HIVE"
xdotool mousemove 5 5
sleep 0.2
xdotool mousemove 1000 700
wait_exit "$KIRU_PID" 10 || fail "the pointer move did not end the saver"
[ "$EXIT_STATUS" = 0 ] || fail "the saver ended with status $EXIT_STATUS"
[ "$(hive_dword "mod1 speed")" = 50 ] || fail "settings not saved"
echo "PASS"
