#!/usr/bin/env bash
# Several monitors: one view per monitor, centred on it, black where no monitor
# is; the warning, the Control Menu and the parameter box on the primary monitor;
# the window and the views following the screen when it grows and shrinks, the
# pointer the server moves then ending nothing; dialogs following their monitor
# when it goes; monitors that reach past the screen; and a two-screen Xinerama
# server, where only some framebuffer configs make a window.
source "$(dirname "$0")/common.bash"
A=1920x1080+0+0
B=1280x1024+1920+0

# monitors_centred, retried while the picture may still be catching up; the last
# try's figures are shown.
centred_soon() {
  local ok=0
  wait_until 5 monitors_centred "$@" >"$WORK/centred.txt" || ok=1
  cat "$WORK/centred.txt"
  return $ok
}

start_x 3200x1080x24
set_monitors "$A" "*$B"  # RandR's primary: the right one, off the screen's centre
setup_home
enable_only_module 8  # the burst keeps its centre of mass at the view's centre
sed -i '/disable_frame_warn/d' "$HIVE"
KIRU_TEST_FRAME_RATE=5 start_kiru /s
warning=$(window_id "Video Hardware Warning -- frames per second: 5") || fail "no warning"
inside_rect "$warning" "$B" || fail "the warning is not on the primary monitor ($GX,$GY ${GW}x$GH)"
xdotool key Return
wait_for_gone "Video Hardware Warning -- frames per second: 5" || fail "Enter did not continue"
echo "two monitors, 1920x1080 beside 1280x1024:"
centred_soon "$A" "$B" || fail "a view is not centred on its monitor, or something is lit under none"
[ -n "${KIRU_GALLERY:-}" ] && cp "$WORK/monitors.png" "$KIRU_GALLERY"

xdotool key F1
menu=$(window_id "Control Menu") || fail "F1 showed no Control Menu"
centred_in "$menu" "$B" || fail "the Control Menu is not centred on the primary monitor ($GX,$GY ${GW}x$GH)"
xdotool key Escape
wait_for_gone "Control Menu" || fail "Esc did not close the Control Menu"
xdotool key F11
params=$(window_id "Params") || fail "F11 showed no parameter box"
inside_rect "$params" "$B" || fail "the parameter box is not on the primary monitor ($GX,$GY ${GW}x$GH)"
xdotool key Return
wait_for_gone "Params" || fail "Enter did not close the parameter box"

# The screen shrinks to the first monitor, then grows back (a monitor unplugged
# and plugged in again): within a second the window matches it, the views follow.
saver=$(window_id "Screen Saver") || fail "no saver window"
saver_is() { read_geometry "$saver" && [ "${GW}x$GH+$GX+$GY" = "$1" ]; }
xrandr --fb 1920x1080 >/dev/null 2>&1 || true
wait_until 1 saver_is 1920x1080+0+0 || fail "the saver did not shrink with the screen (${GW}x$GH+$GX+$GY)"
echo "shrunk to 1920x1080:"
centred_soon "$A" || fail "the view is not centred after the screen shrank"
xrandr --fb 3200x1080 >/dev/null 2>&1 || true
wait_until 1 saver_is 3200x1080+0+0 || fail "the saver did not grow with the screen (${GW}x$GH+$GX+$GY)"
echo "grown back to 3200x1080:"
centred_soon "$A" "$B" || fail "the views are not centred after the screen grew"
# A monitor goes and comes back on a screen of the same size: the views follow.
xrandr --delmonitor M1 >/dev/null 2>&1 || fail "xrandr --delmonitor M1"
echo "second monitor gone:"
centred_soon "$A" || fail "the second monitor's view stayed after the monitor went"
xrandr --setmonitor '*M1' 1280/300x1024/200+1920+0 none >/dev/null 2>&1 || fail "xrandr --setmonitor M1"
echo "second monitor back:"
centred_soon "$A" "$B" || fail "no view for the monitor that came back"
# The screen shrinks under the Control Menu on the primary monitor (RandR still
# lists it, past the screen): the menu moves to the centre of the first monitor,
# the one left, and keeps the pointer inside. A window that comes and goes over
# the saver, as a screen change repaints it, leaves the picture standing behind
# the menu, not black.
xdotool key F1
menu=$(window_id "Control Menu") || fail "F1 showed no Control Menu"
xrandr --fb 1920x1080 >/dev/null 2>&1 || true
wait_until 2 centred_in "$menu" "$A" || fail "the Control Menu is not centred on the monitor left ($GX,$GY ${GW}x$GH)"
xdotool mousemove 10 10
sleep 0.3
[ "$(pointer_at)" = "$GX $GY " ] || fail "the pointer left the moved Control Menu for $(pointer_at)"
xev -geometry 1800x1000+60+40 -name cover -event expose >/dev/null 2>&1 &
cover=$!
PIDS+=("$cover")
window_id cover >/dev/null || fail "no covering window"
kill "$cover"
wait_for_gone cover || fail "the covering window stayed"
wait_until 5 lit_over 700x1080+0+0 0.99 || fail "the saver is black behind the moved Control Menu ($LIT % lit)"
xdotool key Escape
wait_for_gone "Control Menu" || fail "Esc did not close the moved Control Menu"
xrandr --fb 3200x1080 >/dev/null 2>&1 || true
still_running "$KIRU_PID" || fail "the saver ended with the screen change"
xdotool key Escape
wait_exit "$KIRU_PID" 10 || fail "Esc did not end the saver"
[ "$EXIT_STATUS" = 0 ] || fail "the saver ended with status $EXIT_STATUS"

# The settings dialog opens on the monitor that holds the pointer, and follows
# onto the first when the second goes.
for monitor in "$A" "$B"; do
  left=${monitor#*+}
  xdotool mousemove $((${left%%+*} + 100)) 100
  start_kiru /c
  settings=$(window_id "Kiru Settings.*") || fail "no settings dialog"
  inside_rect "$settings" "$monitor" || fail "the settings dialog is not on $monitor with the pointer ($GX,$GY ${GW}x$GH)"
  if [ "$monitor" = "$B" ]; then
    xrandr --fb 1920x1080 >/dev/null 2>&1 || true
    wait_until 2 inside_rect "$settings" "$A" || fail "the settings dialog stayed off the screen ($GX,$GY ${GW}x$GH)"
    xrandr --fb 3200x1080 >/dev/null 2>&1 || true
  fi
  kill "$KIRU_PID"
  wait_exit "$KIRU_PID" 10 || fail "the settings dialog did not end"
done

# A monitor partly off the screen: its view lies on the part the screen shows.
# Then the screen shrinks under the pointer, which the server moves 882 pixels:
# no motion of the user's, so the saver runs on.
echo '"disable_frame_warn"=dword:00000001' >>"$HIVE"
xrandr --fb 1920x1080 >/dev/null 2>&1 || true
for m in M0 M1; do xrandr --delmonitor $m >/dev/null 2>&1 || fail "xrandr --delmonitor $m"; done
xrandr --setmonitor P0 1280/300x1024/200+0+0 none >/dev/null 2>&1 || fail "xrandr --setmonitor P0"
xrandr --setmonitor P1 1280/300x1024/200+1280+500 none >/dev/null 2>&1 || fail "xrandr --setmonitor P1"
xdotool mousemove 1800 1000
start_fullscreen_saver
echo "1280x1024 beside 1280x1024 of which 640x580 on the screen:"
monitors_centred 1280x1024+0+0 640x580+1280+500 || fail "no view centred on the part of a monitor the screen shows"
xrandr --fb 1120x800 >/dev/null 2>&1 || true
sleep 1
[ "$(pointer_at)" = "1119 799 " ] || fail "the server left the pointer at $(pointer_at)"
still_running "$KIRU_PID" || fail "the pointer the server moved ended the saver"
xdotool key Escape
wait_exit "$KIRU_PID" 10 || fail "Esc did not end the saver"
# Every monitor reaches past the screen: the saver still covers it, so the keys work.
for m in P0 P1; do xrandr --delmonitor $m >/dev/null 2>&1 || fail "xrandr --delmonitor $m"; done
xrandr --setmonitor P2 1920/480x1080/270+0+0 none >/dev/null 2>&1 || fail "xrandr --setmonitor P2"
start_fullscreen_saver
xdotool key F1
window_id "Control Menu" >/dev/null || fail "F1 showed no Control Menu with the monitor past the screen"
xdotool key Escape
wait_for_gone "Control Menu" || fail "Esc did not close the Control Menu"
xdotool key Prior Escape
wait_exit "$KIRU_PID" 10 || fail "Esc did not end the saver with the monitor past the screen"
[ "$EXIT_STATUS" = 0 ] && [ "$(hive_dword "mod8 depth")" = 1430 ] ||
  fail "status $EXIT_STATUS, mod8 depth $(hive_dword "mod8 depth"): Page Up and Esc did not work"

# Two screens joined by Xinerama: the saver draws, with no error box.
kill "$XVFB_PID"
wait "$XVFB_PID" 2>/dev/null || true
start_x 1920x1080x24 +xinerama -screen 1 1280x1024x24
KIRU_TRACE_FIRST_FRAME=1 start_kiru /s
wait_for_window "Screen Saver" || fail "no saver window on the Xinerama server"
wait_until 30 eval 'window_shown ERROR || grep -q "first frame presented" "$WORK/kiru.log"' || fail "no frame drawn"
window_shown ERROR && fail "an error box on the Xinerama server"
heads=$(xdpyinfo -ext XINERAMA | awk '/head #/ {print $3 "+" substr($5, 1, index($5, ",") - 1) "+" substr($5, index($5, ",") + 1)}')
[ "$(wc -l <<<"$heads")" = 2 ] || fail "the server has not two Xinerama heads: $heads"
for head in $heads; do
  wait_until 5 lit_over "$head" 0.99 || fail "head $head is dark ($LIT % lit)"
  echo "Xinerama head $head: $LIT % lit"
done
xdotool key Escape
wait_exit "$KIRU_PID" 10 || fail "Esc did not end the saver on the Xinerama server"
echo "PASS"
