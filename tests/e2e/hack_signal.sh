#!/usr/bin/env bash
# As an XScreenSaver hack: input never ends it; SIGTERM is a close request that
# stores the settings and exits 0; -window-id ends quietly with its host.
source "$(dirname "$0")/common.bash"
start_x
setup_home

unset XSCREENSAVER_WINDOW
start_kiru -root
wait_for_window "Kiru" || fail "no window in the root window"
sleep 2
xdotool mousemove 10 10
xdotool key Escape
xdotool mousemove 900 700
sleep 1.5
still_running "$KIRU_PID" || fail "input ended the -root saver"

# The settings were written at start; take one value away so that the save at the
# end shows.
sed -i '/^"mod1 speed"=/d' "$HIVE"
[ -z "$(hive_dword "mod1 speed")" ] || fail "could not edit the hive"
kill -TERM "$KIRU_PID"
wait_exit "$KIRU_PID" 10 || fail "SIGTERM did not end the -root saver"
[ "$EXIT_STATUS" = 0 ] || fail "exit status $EXIT_STATUS after SIGTERM"
[ "$(hive_dword "mod1 speed")" = 50 ] || fail "settings not saved on SIGTERM"

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
