#!/usr/bin/env bash
# Sound outputs that misbehave never hold or end the saver. The output is a file
# PCM writing into a FIFO: with nobody reading it the voice blocks in its set-up,
# yet Esc, SIGTERM, SIGHUP and the settings dialog's Esc end the process at once with their
# usual status and the view saved, the full-screen window leaving the screen before
# anything waits; a reader that goes away ends the sound, not the saver.
source "$(dirname "$0")/common.bash"
start_x
setup_home
sed -i 's/"enable sound"=dword:00000000/"enable sound"=dword:00000001/' "$HIVE"
FIFO=$WORK/sound.fifo
mkfifo "$FIFO"
export KIRU_PCM="file:FILE=$FIFO,FORMAT=raw"

# Full-screen saving whose view is zoomed out one step (module 1: depth 50 -> 51).
start_zoomed_saver() {
  sed -i '/^"mod1 depth"=/d' "$HIVE"
  start_fullscreen_saver
  xdotool key Prior
  sleep 0.3
}
expect_saved_and_ended() {
  wait_exit "$KIRU_PID" "$2" || fail "$1 did not end the saver"
  [ "$EXIT_STATUS" = "$3" ] || fail "$1 ended the saver with status $EXIT_STATUS"
  [ "$(hive_dword "mod1 depth")" = 5100 ] || fail "$1: the view change was lost"
}

# Esc: the window is unmapped while the process still waits for its voices.
start_zoomed_saver
id=$(xdotool search --name '^Screen Saver$' | head -1)
xdotool key Escape
unmapped=
for _ in $(seq 1 50); do
  still_running "$KIRU_PID" || break
  if xwininfo -id "$id" 2>/dev/null | grep -q 'Map State: IsUnMapped' && still_running "$KIRU_PID"; then
    unmapped=yes
    break
  fi
  sleep 0.05
done
[ -n "$unmapped" ] || fail "the window stayed on the screen while the saver waited"
expect_saved_and_ended "Esc" 5 0

# SIGHUP: the terminal that started it closed.
for signal in TERM HUP; do
  start_zoomed_saver
  kill -"$signal" "$KIRU_PID"
  expect_saved_and_ended "SIG$signal" 5 0
done

KIRU_TRACE_FIRST_FRAME=1 start_kiru /c
window_id "Kiru Settings.*" >/dev/null || fail "no settings dialog"
wait_for_first_frame
xdotool key Escape
wait_exit "$KIRU_PID" 5 || fail "Esc did not end the settings dialog"

# A reader that goes away: the saver lives on and saves as usual.
cat "$FIFO" >/dev/null &
READER=$!
PIDS+=("$READER")
start_zoomed_saver
sleep 1
kill "$READER"
sleep 1.5
still_running "$KIRU_PID" || fail "the saver died with the sound's reader"
xdotool key Escape
expect_saved_and_ended "Esc after the reader went" 5 0
echo "PASS"
