#!/usr/bin/env bash
# Esc ends full-screen saving with status 0; a speed change made before it is kept.
# The keypad follows Num Lock: off, keypad 7 is Home (the factory view); on, keypad 9
# zooms as Page Up does and keypad 7 is a key the controls do not use. Without any
# font the Control Menu (F1) cannot show and is skipped: the saver goes on, and the
# zoom made before it is stored at Esc.
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
# Num Lock off (xdotool's KP_Home is the key's unlocked meaning).
start_fullscreen_saver
xdotool key F9
sleep 0.3
xdotool key KP_Home
sleep 0.5
still_running "$KIRU_PID" || fail "keypad Home (keypad 7, Num Lock off) ended the saver"
xdotool key Escape
wait_exit "$KIRU_PID" 10 || fail "Esc after keypad Home did not end the saver"
[ "$(hive_dword "mod1 speed")" = 50 ] || fail "mod1 speed is '$(hive_dword "mod1 speed")' after F9, keypad Home, expected 50"

depth=$(hive_dword "mod1 depth")
xdotool key Num_Lock  # before the saver starts: Num Lock itself is a key that ends it
start_fullscreen_saver
xdotool key KP_Prior
sleep 0.5
still_running "$KIRU_PID" || fail "keypad 9 with Num Lock on ended the saver"
xdotool key KP_Home
wait_exit "$KIRU_PID" 10 || fail "keypad 7 with Num Lock on did not end the saver"
xdotool key Num_Lock
[ "$EXIT_STATUS" = 0 ] || fail "exit status $EXIT_STATUS after keypad 7"
[ "$(hive_dword "mod1 depth")" -gt "$depth" ] || fail "keypad 9 with Num Lock on did not zoom out (depth $depth -> $(hive_dword "mod1 depth"))"

printf '<?xml version="1.0"?>\n<fontconfig><cachedir>%s/fccache</cachedir></fontconfig>\n' "$WORK" >"$WORK/nofonts.conf"
depth=$(hive_dword "mod1 depth")
FONTCONFIG_FILE="$WORK/nofonts.conf" start_fullscreen_saver
for _ in 1 2 3; do xdotool key Prior; sleep 0.15; done
xdotool key F1
sleep 0.5
still_running "$KIRU_PID" || fail "F1 without fonts ended the saver"
xdotool key Escape
wait_exit "$KIRU_PID" 10 || fail "Esc after F1 without fonts did not end the saver"
[ "$EXIT_STATUS" = 0 ] || fail "exit status $EXIT_STATUS after F1 and Esc without fonts"
[ "$(hive_dword "mod1 depth")" -gt "$depth" ] || fail "the zoom made without fonts was lost (depth $depth -> $(hive_dword "mod1 depth"))"
[ "$(grep -c 'no font' "$WORK/kiru.log")" = 1 ] || fail "not one line about the missing font: $(cat "$WORK/kiru.log")"
echo "PASS"
