#!/usr/bin/env bash
# The video hardware warning, forced by a measured rate of 5 frames a second.
# "Download Pellor" lifts the pointer's confinement, so a pointer move past the
# dialog closes the saver while the dialog is still open. The frame that opened it
# must not draw with the context the close released: the saver ends with status 0
# and its settings saved.
source "$(dirname "$0")/common.bash"
start_x
setup_home
sed -i '/disable_frame_warn/d' "$HIVE"
enable_only_module 7  # turns its own view, which only the close saves
mkdir -p "$WORK/bin"
printf '#!/bin/sh\necho "$@" >>"%s/opened"\n' "$WORK" >"$WORK/bin/xdg-open"
chmod +x "$WORK/bin/xdg-open"

PATH="$WORK/bin:$PATH" KIRU_TEST_FRAME_RATE=5 start_kiru /s
wait_for_window "Video Hardware Warning -- frames per second: 5" || fail "no warning"
sleep 0.5
[ "$(hive_dword "mod7 xrot")" = -9000 ] || fail "mod7 xrot is '$(hive_dword "mod7 xrot")' at the start"
# From the focused "Continue": back over the check box to "Download Pellor".
xdotool key shift+Tab shift+Tab space
wait_until 10 grep -q pellor "$WORK/opened" 2>/dev/null || fail "Download Pellor opened nothing"
xdotool mousemove 5 5
sleep 0.2
xdotool mousemove 1000 700
wait_exit "$KIRU_PID" 10 || fail "the pointer move did not end the saver"
[ "$EXIT_STATUS" = 0 ] || fail "the saver ended with status $EXIT_STATUS"
[ "$(hive_dword "mod7 xrot")" -lt -9000 ] || fail "settings not saved"
echo "PASS"
