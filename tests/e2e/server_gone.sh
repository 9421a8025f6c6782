#!/usr/bin/env bash
# The X server going away under a running saver: Kiru saves what a close would
# have saved and ends with 255, the status of every unexpected failure, also after
# a dialog has opened the toolkit's own connection.
source "$(dirname "$0")/common.bash"
setup_home

# Full-screen saving with module 1 zoomed out one step (depth 50 -> 51), then the
# server killed; $1: keys pressed before (and answered) to open and close a dialog.
run_until_server_killed() {
  write_quiet_hive "$HIVE"
  start_x
  start_fullscreen_saver
  if [ -n "$1" ]; then
    xdotool key "$1"
    wait_for_window "Control Menu" 5 || fail "no Control Menu"
    sleep 0.5
    xdotool key Return
    sleep 0.5
  fi
  sed -i '/^"mod1 depth"=/d' "$HIVE"
  xdotool key Prior
  sleep 0.5
  kill "$XVFB_PID"
  wait_exit "$KIRU_PID" 10 || fail "Kiru outlived its X server"
  [ "$EXIT_STATUS" = 255 ] || fail "Kiru ended with status $EXIT_STATUS"
  [ "$(hive_dword "mod1 depth")" = 5100 ] || fail "the view change was lost"
  wait "$XVFB_PID" 2>/dev/null || true
}

run_until_server_killed ""
run_until_server_killed F1
echo "PASS"
