#!/usr/bin/env bash
# As an XScreenSaver hack: input never ends it; SIGTERM is a close request that
# stores the settings and exits 0, also when the host window goes with it;
# -window-id ends quietly with its host.
source "$(dirname "$0")/common.bash"
start_x
setup_home
enable_only_module 7

unset XSCREENSAVER_WINDOW
export KIRU_TRACE_FIRST_FRAME=1  # each frame turns module 7's view
start_kiru -root
wait_for_window "Kiru" || fail "no window in the root window"
wait_for_first_frame
xdotool mousemove 10 10
xdotool key Escape
xdotool mousemove 900 700
sleep 1.5
still_running "$KIRU_PID" || fail "input ended the -root saver"

# Module 7 has turned its view since the start wrote -90 degrees; SIGTERM saves it.
[ "$(hive_dword "mod7 xrot")" = -9000 ] || fail "mod7 xrot is '$(hive_dword "mod7 xrot")' at the start"
kill -TERM "$KIRU_PID"
wait_exit "$KIRU_PID" 10 || fail "SIGTERM did not end the -root saver"
[ "$EXIT_STATUS" = 0 ] || fail "exit status $EXIT_STATUS after SIGTERM"
[ "$(hive_dword "mod7 xrot")" -lt -9000 ] || fail "the view was not saved on SIGTERM"

# XScreenSaver ends a hack with SIGTERM and takes its window away in the same
# moment; five times over, the view is saved and the hack ends, never drawing on a
# window the server has destroyed (which left the renderer corrupting the heap or
# hung) nor losing the request with the window.
for round in 1 2 3 4 5; do
  write_quiet_hive "$HIVE"
  enable_only_module 7
  start_host_window 400x300+0+0
  XSCREENSAVER_WINDOW=$HOST start_kiru -root
  wait_for_first_frame
  kill -TERM "$KIRU_PID"
  kill "$HOST_PID"
  wait_exit "$KIRU_PID" 10 || fail "round $round: still running 10 s after SIGTERM"
  [ "$EXIT_STATUS" = 0 ] && [ "$(hive_dword "mod7 xrot")" -lt -9000 ] ||
    fail "round $round: status $EXIT_STATUS, mod7 xrot $(hive_dword "mod7 xrot")"
done

# -window-id in another program's window, which then goes away.
start_host_window 200x150+10+10
host=$HOST host_pid=$HOST_PID
start_kiru --window-id "$(printf '0x%x' "$host")"
wait_for_window "Kiru" || fail "no window inside the host"
sleep 1
kill "$host_pid"
wait_exit "$KIRU_PID" 10 || fail "the hack outlived its host window"
[ "$EXIT_STATUS" = 0 ] || fail "exit status $EXIT_STATUS after the host went"
echo "PASS"
