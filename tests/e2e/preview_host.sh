#!/usr/bin/env bash
# The preview draws inside another program's window, ignores keys and the mouse, and
# ends quietly (status 0, nothing written) when that window goes away. A host grown
# to 16384 x 16384 and shrunk back leaves Kiru's memory within 20 % of a fresh start
# at the small size, and the picture still draws.
source "$(dirname "$0")/common.bash"
start_x
setup_home

# The host: xev's window, 320 x 240, white.
start_host_window 320x240+10+10
host=$HOST host_pid=$HOST_PID

start_kiru /p "$host"
wait_for_window "Preview" || fail "no preview window"
sleep 2
mean=$(import -window root -crop 300x220+20+20 png:- | convert - -format '%[fx:mean]' info:)
awk -v m="$mean" 'BEGIN { exit !(m < 0.5) }' || fail "the host window still looks blank (mean $mean)"

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
mean=$(import -window root -crop 300x220+20+20 png:- | convert - -format '%[fx:mean]' info:)
awk -v m="$mean" 'BEGIN { exit !(m < 0.5) }' || fail "the preview is blank after the shrink (mean $mean)"

before=$(md5sum <"$HIVE")
kill "$host_pid"
wait_exit "$KIRU_PID" 10 || fail "the preview outlived its host"
[ "$EXIT_STATUS" = 0 ] || fail "exit status $EXIT_STATUS after the host went"
[ "$(md5sum <"$HIVE")" = "$before" ] || fail "the preview wrote the hive at its end"
echo "PASS"
