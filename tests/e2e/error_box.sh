#!/usr/bin/env bash
# Error boxes nobody may be there to answer: on a server without GLX, full-screen
# saving shows its error box centred on the screen, and a close signal (SIGTERM,
# SIGINT) still ends it at once; a hosted saver whose host goes away leaves no box
# behind and ends. Without any display no box can show: every mode says why in
# one line on stderr and ends with 255.
source "$(dirname "$0")/common.bash"
for tool in xdotool xwininfo xev; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done

for mode in /s /c "" "/p 12" --root; do
  for display in unset :9999; do
    status=0
    if [ "$display" = unset ]; then
      env -u DISPLAY "$KIRU" $mode 2>"$WORK/nodisplay.log" || status=$?
    else
      DISPLAY=$display "$KIRU" $mode 2>"$WORK/nodisplay.log" || status=$?
    fi
    [ "$status" = 255 ] || fail "'kiru $mode' with DISPLAY $display ended with $status"
    [ "$(grep -c 'display' "$WORK/nodisplay.log")" = 1 ] && [ "$(wc -l <"$WORK/nodisplay.log")" = 1 ] ||
      fail "'kiru $mode' with DISPLAY $display said: $(cat "$WORK/nodisplay.log")"
  done
done
start_x -extension GLX
setup_home
BOX="Kiru Screen Saver Error"

for signal in TERM INT; do
  start_kiru /s
  box=$(window_id "$BOX") || fail "no error box without GLX"
  read_geometry "$box"
  dx=$((GX + GW / 2 - 512)) dy=$((GY + GH / 2 - 384))
  [ "${dx#-}" -le 1 ] && [ "${dy#-}" -le 1 ] || fail "the error box is not centred on the screen ($GX,$GY ${GW}x$GH)"
  kill -"$signal" "$KIRU_PID"
  wait_exit "$KIRU_PID" 5 || fail "SIG$signal did not end the saver behind its error box"
  [ "$EXIT_STATUS" = 0 ] || fail "exit status $EXIT_STATUS after SIG$signal"
  wait_for_gone "$BOX" || fail "the error box outlived SIG$signal"
done

start_host_window 200x150+10+10
start_kiru --window-id "$HOST"
window_id "$BOX" >/dev/null || fail "no error box in a host without GLX"
kill "$HOST_PID"
wait_exit "$KIRU_PID" 5 || fail "the hosted saver's error box outlived its host"
wait_for_gone "$BOX" || fail "the error box stayed after its host went"
echo "PASS"
