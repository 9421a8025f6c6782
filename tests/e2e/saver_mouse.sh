#!/usr/bin/env bash
# Full-screen saving ends on mouse movement of more than 100 pixels (|dx| + |dy|), not at 100.
source "$(dirname "$0")/common.bash"
start_x
setup_home

# Xvfb puts an unmoved pointer back in the middle while no window is there, so the
# distances are measured from wherever the pointer is once the saver window shows.
start_fullscreen_saver
eval "$(xdotool getmouselocation --shell)"

xdotool mousemove $((X + 60)) $((Y + 40))  # exactly 100
sleep 1.5
still_running "$KIRU_PID" || fail "a movement of exactly 100 pixels ended the saver"

xdotool mousemove $((X + 61)) $((Y + 40))  # 101 from where it started
wait_exit "$KIRU_PID" 10 || fail "a movement of 101 pixels did not end the saver"
[ "$EXIT_STATUS" = 0 ] || fail "exit status $EXIT_STATUS, expected 0"
echo "PASS"
