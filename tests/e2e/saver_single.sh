#!/usr/bin/env bash
# A second full-screen start while one runs leaves at once with status 0.
source "$(dirname "$0")/common.bash"
start_x
setup_home

start_fullscreen_saver
first=$KIRU_PID

start_kiru /s
wait_exit "$KIRU_PID" 5 || fail "the second saver did not leave"
[ "$EXIT_STATUS" = 0 ] || fail "the second saver ended with status $EXIT_STATUS"
still_running "$first" || fail "the first saver ended too"
[ "$(xwininfo -root -tree | grep -cF '"Screen Saver"')" = 1 ] || fail "more than one saver window"

xdotool key Escape
wait_exit "$first" 10 || fail "Esc did not end the first saver"

# Two started in the same instant both find no saver window yet: only one may run,
# and one Esc ends everything.
for try in $(seq 1 20); do
  "$KIRU" /s >"$WORK/a.log" 2>&1 &
  a=$!
  "$KIRU" /s >"$WORK/b.log" 2>&1 &
  b=$!
  PIDS+=("$a" "$b")
  wait_for_window "Screen Saver" || fail "try $try: no saver window"
  sleep 0.5
  count=$(xwininfo -root -tree | grep -cF '"Screen Saver"' || true)
  [ "$count" = 1 ] || fail "try $try: $count saver windows"
  xdotool key Escape
  wait_exit "$a" 10 && wait_exit "$b" 10 || fail "try $try: one Esc left a saver running"
done
echo "20 simultaneous pairs: one saver window each time"

# Modes that are not there end with 255 and show nothing.
for args in /x /1 /a "/p:1234" /p "/p 99999999" "-window-id 0x7fffff"; do
  set +e
  timeout 10 "$KIRU" $args >/dev/null 2>&1
  status=$?
  set -e
  [ "$status" = 255 ] || fail "kiru $args ended with $status, expected 255"
done
echo "PASS"
