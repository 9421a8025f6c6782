# What ends full-screen saving under Wine: a mouse movement of 101 pixels does, one
# of 100 does not; F9 then Esc stores module 1's faster speed, with the voices
# playing (into the suite's null PCM) and shut down on the way out.
source "$(dirname "$0")/wine-common.bash"
reset_settings
start_saver
xdotool mousemove 560 440  # |60| + |40| = 100
sleep 2
still_running "$KIRU_PID" || fail "a 100-pixel movement ended the saver"
xdotool mousemove 621 440  # 101 from where it started
wait_exit "$KIRU_PID" 20 || fail "a 101-pixel movement did not end the saver"
[ "$EXIT_STATUS" -eq 0 ] || fail "the movement ended it with $EXIT_STATUS"

wine reg add "$KEY" /v "enable sound" /t REG_DWORD /d 1 /f >/dev/null 2>&1
start_saver
xdotool key F9
sleep 1
end_with_key Escape
[ "$(reg_dword "mod1 speed")" = 0x3e ] || fail "mod1 speed is '$(reg_dword "mod1 speed")'"
echo "ok: 100 pixels kept it, 101 ended it; F9 then Esc stored mod1 speed 0x3e"

# Another program's window shown over the saver takes the foreground; the saver
# takes it back, so Esc still ends it with 0.
start_saver
wine notepad >/dev/null 2>&1 &
PIDS+=("$!")
wait_for_window "Untitled - Notepad" 30 || fail "Notepad did not come up"
sleep 2
end_with_key Escape
echo "ok: Esc ended the saver after another window had taken the foreground"
