# What ends full-screen saving under Wine: a mouse movement of 101 pixels does, one
# of 100 does not; F9 then Esc stores module 1's faster speed, with the voices
# playing (into the suite's null PCM) and shut down on the way out; other programs'
# windows taking the foreground leave the saver uppermost with the keyboard.
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

# Other programs' windows take the foreground over the saver, one after another
# (each made on top of the stacking order and shown): each time the saver is
# uppermost again, and Esc, which goes to the window under the pointer, ends it with 0.
notepads() { xdotool search --name '^Untitled - Notepad$' 2>/dev/null || true; }
notepads_shown() {  # at least $1 of them, each shown
  local ids np
  ids=$(notepads)
  [ "$(wc -w <<<"$ids")" -ge "$1" ] || return 1
  for np in $ids; do xwininfo -id "$np" 2>/dev/null | grep -q 'Map State: IsViewable' || return 1; done
}
saver_over_notepads() {
  local np
  for np in $(notepads); do stacked_above "$saver" "$np" || return 1; done
}
start_saver
saver=$(window_id "Screen Saver") || fail "no saver window"
for n in 1 2 3; do
  wine notepad >/dev/null 2>&1 &
  PIDS+=("$!")
  wait_until 30 notepads_shown $n || fail "Notepad $n did not come up"
  wait_until 10 saver_over_notepads || fail "Notepad $n stayed over the saver"
done
end_with_key Escape
echo "ok: after each of three Notepads had taken the foreground the saver was uppermost again; Esc ended it"
