#!/usr/bin/env bash
# Full-screen saving ends on mouse movement of more than 100 pixels (|dx| + |dy|), not at 100.
source "$(dirname "$0")/common.bash"
start_x
setup_home

xdotool mousemove 200 200
start_kiru /s
wait_for_window "Screen Saver" || fail "no full-screen window"
sleep 1

xdotool mousemove 260 240  # 60 across, 40 down: exactly 100
sleep 1.5
still_running "$KIRU_PID" || fail "a movement of exactly 100 pixels ended the saver"

xdotool mousemove 261 240  # 101 from where it started
wait_exit "$KIRU_PID" 10 || fail "a movement of 101 pixels did not end the saver"
[ "$EXIT_STATUS" = 0 ] || fail "exit status $EXIT_STATUS, expected 0"
echo "PASS"
