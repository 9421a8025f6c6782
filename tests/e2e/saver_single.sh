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

# Modes that are not there end with 255 and show nothing.
for args in /x /1 /a "/p:1234" /p "/p 99999999" "-window-id 0x7fffff"; do
  set +e
  timeout 10 "$KIRU" $args >/dev/null 2>&1
  status=$?
  set -e
  [ "$status" = 255 ] || fail "kiru $args ended with $status, expected 255"
done
echo "PASS"
