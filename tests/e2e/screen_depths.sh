#!/usr/bin/env bash
# Screens of other depths. A 16-bit screen offers GL configs of 16 colour bits only:
# the system's closest match applies and the picture draws. An 8-bit screen has no
# GL visual at all: the error box tells so, and the saver still ends cleanly, by
# the mouse or by a key, as over a picture.
source "$(dirname "$0")/common.bash"
setup_home

start_x 640x480x16
start_fullscreen_saver
window_gone "Kiru Screen Saver Error" || fail "16 bits: the error box came up"
lit=$(lit_percent 640x480+0+0)
echo "16 bits: ${lit}% of the screen lit"
awk -v p="$lit" 'BEGIN { exit !(p >= 2) }' || fail "16 bits: the picture is black"
xdotool key Escape
wait_exit "$KIRU_PID" 10 || fail "16 bits: Esc did not end the saver"
[ "$EXIT_STATUS" = 0 ] || fail "16 bits: the saver ended with status $EXIT_STATUS"
stop_xvfb

start_x 640x480x8
for ender in mouse Escape q; do
  start_kiru /s
  wait_for_window "Kiru Screen Saver Error" || fail "8 bits: no error box"
  xdotool search --name '^Kiru Screen Saver Error$' windowfocus --sync
  xdotool key Return
  wait_for_gone "Kiru Screen Saver Error" || fail "8 bits: OK did not close the error box"
  if [ "$ender" = mouse ]; then
    xdotool mousemove 10 10
    sleep 0.2
    xdotool mousemove 600 400
  else
    xdotool key "$ender"
  fi
  wait_exit "$KIRU_PID" 10 || fail "8 bits: $ender did not end the black window"
  [ "$EXIT_STATUS" = 0 ] || fail "8 bits: the saver ended with status $EXIT_STATUS after $ender"
done
echo "PASS"
