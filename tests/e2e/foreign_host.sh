#!/usr/bin/env bash
# -window-id in a host window whose visual is not the one Kiru draws with (a
# 32-bit ARGB visual of ImageMagick's display; Xvfb's GLX calls every visual
# GL-capable, so this is the nearest to a non-GL host it offers): the picture
# still shows, drawn by a GL child window of the chosen config's visual. And the
# saver follows a host that changes size.
source "$(dirname "$0")/common.bash"
start_x
setup_home

visual=$(xdpyinfo | awk '/visual id:/ {id = $3} /depth: *32 planes/ && !found {print id; found = 1}')
[ -n "$visual" ] || fail "the server offers no 32-bit visual"
display -visual "$visual" -title kiruhost -geometry 320x240+0+0 -size 320x240 xc:black \
  >"$WORK/display.log" 2>&1 &
PIDS+=("$!")
host=$(window_id kiruhost) || fail "no host window"
[[ "$(xwininfo -id "$host")" == *"Depth: 32"* ]] || fail "the host does not have the 32-bit visual"

start_kiru --window-id "$(printf '0x%x' "$host")"
wait_for_window "Kiru" || fail "no window inside the host"
wait_until 20 lit_over 320x240+0+0 0.5 || fail "nothing drawn in the host ($LIT % lit)"
echo "host 320x240: ${LIT}% of the pixels lit"

kill -TERM "$KIRU_PID"
wait_exit "$KIRU_PID" 10 || fail "SIGTERM did not end the saver"
[ "$EXIT_STATUS" = 0 ] || fail "exit status $EXIT_STATUS after SIGTERM"

# A host that changes size (display keeps its own size, xev lets it change).
xev -geometry 320x240+0+300 -name kiruhost2 -event structure >/dev/null 2>&1 &
PIDS+=("$!")
host=$(window_id kiruhost2) || fail "no second host window"
KIRU_TRACE_FIRST_FRAME=1 start_kiru --window-id "$host"
wait_for_window "Kiru" || fail "no window inside the second host"
wait_for_first_frame
xdotool windowsize "$host" 640 400
size() { xwininfo -root -tree | awk '/"Kiru"/ && !found {print $0; found = 1}' | grep -o '[0-9]*x[0-9]*+' || true; }
wait_until 10 eval '[ "$(size)" = "640x400+" ]' || fail "the saver window did not follow the host: $(size)"
# The part the host gained must show the picture too.
origin=$(xwininfo -id "$host" | awk '/Absolute upper-left X/ {x = $NF} /Absolute upper-left Y/ {y = $NF} END {print x "," y}')
wait_until 20 lit_over "320x160+$((${origin%,*} + 320))+$((${origin#*,} + 240))" 0.5 ||
  fail "nothing drawn where the host grew ($LIT % lit)"
echo "area the host gained: ${LIT}% of the pixels lit"

kill -TERM "$KIRU_PID"
wait_exit "$KIRU_PID" 10 || fail "SIGTERM did not end the saver"
[ "$EXIT_STATUS" = 0 ] || fail "exit status $EXIT_STATUS after SIGTERM"
echo "PASS"
