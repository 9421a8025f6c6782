#!/usr/bin/env bash
# A settings file that is a FIFO reads as unreadable: full-screen saving maps on the
# factory settings, Esc and SIGTERM end it promptly, and the FIFO is never replaced.
# Of the saves only the close's loses a change of the user's: one line on stderr says
# so; the write-back of the start and the frame-rate flag are quiet.
source "$(dirname "$0")/common.bash"
start_x
setup_home
rm "$HIVE"
mkfifo "$HIVE"
# A measured rate that passes the start-up test, which then tries to store its flag.
export KIRU_TEST_FRAME_RATE=30

# The full-screen window is mapped (not merely created) within 10 seconds.
wait_mapped() {
  local i
  for i in $(seq 1 100); do
    xdotool search --onlyvisible --name '^Screen Saver$' >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  return 1
}

start_kiru /s
wait_mapped || fail "no full-screen window with a FIFO as the settings file"
sleep 1
xdotool key Escape
wait_exit "$KIRU_PID" 5 || fail "Esc did not end the saver"
[ "$EXIT_STATUS" = 0 ] || fail "exit status $EXIT_STATUS after Esc"
[ -p "$HIVE" ] || fail "the FIFO was replaced"
[ "$(grep -c 'settings not saved' "$WORK/kiru.log")" = 1 ] || fail "not one line for the one failed save"

start_kiru /s
wait_mapped || fail "no full-screen window on the second start"
kill -TERM "$KIRU_PID"
wait_exit "$KIRU_PID" 5 || fail "SIGTERM did not end the saver"
[ "$EXIT_STATUS" = 0 ] || fail "exit status $EXIT_STATUS after SIGTERM"
[ -p "$HIVE" ] || fail "the FIFO was replaced"
echo "PASS"
