#!/usr/bin/env bash
# Esc ends full-screen saving with status 0; a speed change made before it is kept.
source "$(dirname "$0")/common.bash"
start_x
setup_home

start_fullscreen_saver
xdotool key Escape
wait_exit "$KIRU_PID" 10 || fail "Esc did not end the saver"
[ "$EXIT_STATUS" = 0 ] || fail "exit status $EXIT_STATUS after Esc"
[ "$(hive_dword "mod1 speed")" = 50 ] || fail "mod1 speed is '$(hive_dword "mod1 speed")' after a plain run, expected 50"

start_fullscreen_saver
xdotool key F9
sleep 0.5
xdotool key Escape
wait_exit "$KIRU_PID" 10 || fail "Esc after F9 did not end the saver"
[ "$EXIT_STATUS" = 0 ] || fail "exit status $EXIT_STATUS after F9, Esc"
[ "$(hive_dword "mod1 speed")" = 62 ] || fail "mod1 speed is '$(hive_dword "mod1 speed")' after F9, expected 62 (0.625)"
echo "PASS"
