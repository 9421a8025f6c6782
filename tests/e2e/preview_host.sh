#!/usr/bin/env bash
# The preview draws inside another program's window, ignores keys and the mouse, and
# ends quietly (status 0, nothing written) when that window goes away. A host grown
# to 16384 x 16384 and shrunk back leaves Kiru's memory within 20 % of a fresh start
# at the small size, and the picture still draws. A host killed at any moment of a
# frame (20 hosts, killed from 0 to 95 ms after the first frame showed) ends the
# preview the same way, never with a crash.
source "$(dirname "$0")/common.bash"
start_x
setup_home

# The host: xev's window, 320 x 240, white.
start_host_window 320x240+10+10
host=$HOST host_pid=$HOST_PID

start_kiru /p "$host"
wait_for_window "Preview" || fail "no preview window"
drawn() {
  mean=$(import -window root -crop 300x220+20+20 png:- | convert - -format '%[fx:mean]' info:)
  awk -v m="$mean" 'BEGIN { exit !(m < 0.5) }'
}
wait_until 20 drawn || fail "the host window still looks blank (mean $mean)"

xdotool mousemove 30 30
xdotool windowfocus "$host" 2>/dev/null || true
xdotool key Escape
xdotool key a
xdotool mousemove 300 200
sleep 1.5
still_running "$KIRU_PID" || fail "input ended the preview"

rss() { awk '/^VmRSS:/ {print $2}' "/proc/$KIRU_PID/status"; }
fresh=$(rss)
xdotool windowsize "$host" 16384 16384
wait_until 30 eval '[ "$(rss)" -gt $((fresh * 3)) ]' || fail "the preview did not grow with its host ($fresh kB -> $(rss) kB)"
sleep 2
grown=$(rss)
xdotool windowsize "$host" 320 240
# A frame at the large size (seconds in software) may still be drawing.
wait_until 30 eval '[ "$(rss)" -le $((fresh * 12 / 10)) ]' ||
  fail "memory kept after the host shrank: $(rss) kB against $fresh kB fresh"
echo "RSS: fresh at 320x240 $fresh kB, at 16384x16384 $grown kB, back at 320x240 $(rss) kB"
wait_until 20 drawn || fail "the preview is blank after the shrink (mean $mean)"

before=$(md5sum <"$HIVE")
kill "$host_pid"
wait_exit "$KIRU_PID" 10 || fail "the preview outlived its host"
[ "$EXIT_STATUS" = 0 ] || fail "exit status $EXIT_STATUS after the host went"
[ "$(md5sum <"$HIVE")" = "$before" ] || fail "the preview wrote the hive at its end"

# The renderer's questions about gone windows are noted (see the helper), unless a
# sanitizer's runtime must come first in the process.
export KIRU_TRACE_FIRST_FRAME=1 KIRU_GONE_DRAWABLE_LOG="$WORK/gone.log"
if ! ldd "$KIRU" | grep -q 'lib[a-z]*san[.]'; then
  preload=${KIRU_BINARY_DIR:-$(dirname "$KIRU")}/libkiru_gone_drawable.so
  [ -e "$preload" ] || fail "$preload is not built"
fi
for i in $(seq 0 19); do
  start_host_window 320x240+10+10
  LD_PRELOAD=${preload:-} start_kiru /p "$HOST"
  wait_for_first_frame
  sleep "$(printf 0.%03d $((i * 5)))"
  kill "$HOST_PID"
  wait_exit "$KIRU_PID" 10 || fail "preview $i outlived its host"
  [ "$EXIT_STATUS" = 0 ] || fail "preview $i ended with $EXIT_STATUS, its host killed $((i * 5)) ms after its first frame"
done
[ ! -s "$WORK/gone.log" ] ||
  fail "the renderer was handed a window that no longer exists: $(sort -u "$WORK/gone.log" | head -3)"
[ "$(md5sum <"$HIVE")" = "$before" ] || fail "a preview whose host was killed wrote the hive"
echo "PASS"
