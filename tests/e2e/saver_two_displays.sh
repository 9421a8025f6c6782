#!/usr/bin/env bash
# Two full-screen sessions on two displays share one HOME. Each changes a different
# value of module 1 (the zoom on one, the speed on the other) and both get Esc at
# once: both changes reach the hive, every round.
source "$(dirname "$0")/common.bash"
start_x
first=$DISPLAY
start_x
second=$DISPLAY
setup_home

on() { DISPLAY=$1 "${@:2}"; }

for round in 1 2 3 4; do
  export DISPLAY=$first
  start_fullscreen_saver
  first_pid=$KIRU_PID
  export DISPLAY=$second
  start_fullscreen_saver
  second_pid=$KIRU_PID
  depth=$(hive_dword "mod1 depth") speed=$(hive_dword "mod1 speed")

  on "$first" xdotool key Next   # zoom in
  on "$second" xdotool key F9    # faster
  sleep 0.5
  on "$first" xdotool key Escape &
  first_key=$!
  on "$second" xdotool key Escape &
  wait "$first_key" $!
  wait_exit "$first_pid" 10 || fail "Esc did not end the first session (round $round)"
  wait_exit "$second_pid" 10 || fail "Esc did not end the second session (round $round)"

  [ "$(hive_dword "mod1 depth")" != "$depth" ] || fail "round $round lost the zoom: mod1 depth still $depth"
  [ "$(hive_dword "mod1 speed")" != "$speed" ] || fail "round $round lost the speed: mod1 speed still $speed"
  echo "round $round: mod1 depth $depth -> $(hive_dword "mod1 depth"), mod1 speed $speed -> $(hive_dword "mod1 speed")"
done
echo "PASS"
