#!/usr/bin/env bash
# Dialogs opened over full-screen saving, on a bare X server and under a window
# manager with a panel: the hardware warning, the Control Menu (F1) and the
# parameter box (F11) show above the saver and take the keyboard; the warning and
# the Control Menu keep the pointer inside them; "Remove Kiru" tells how Kiru goes
# on Linux; "Download Pellor" opens the page and leaves the warning above the
# saver; Tab, Space and Enter reach "Disable this warning" and Continue; each
# dialog gives the keyboard back to the saver when it closes.
source "$(dirname "$0")/common.bash"
for tool in xdotool xwininfo xprop; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done

# The browser stand-in: records what it was asked to open.
mkdir -p "$WORK/bin"
printf '#!/bin/sh\necho "$@" >>"%s/opened"\n' "$WORK" >"$WORK/bin/xdg-open"
chmod +x "$WORK/bin/xdg-open"

WARNING="Video Hardware Warning -- frames per second: 5"

# The pointer is inside window $1 after trying to leave it for the screen's corners.
pointer_kept_in() {
  local x y
  read_geometry "$1"
  for corner in "0 0" "1023 767"; do
    xdotool mousemove $corner
    sleep 0.2
    read -r x y <<<"$(pointer_at)"
    [ "$x" -ge "$GX" ] && [ "$x" -lt $((GX + GW)) ] && [ "$y" -ge "$GY" ] && [ "$y" -lt $((GY + GH)) ] ||
      return 1
  done
}

# The centre of window $1 is the screen's, give or take a pixel of rounding.
centred_on_screen() {
  read_geometry "$1"
  local dx=$((GX + GW / 2 - 512)) dy=$((GY + GH / 2 - 384))
  [ "${dx#-}" -le 1 ] && [ "${dy#-}" -le 1 ]
}

round() {
  local desktop=$1
  setup_home
  sed -i '/disable_frame_warn/d' "$HIVE"
  rm -f "$WORK/opened"
  [ "$desktop" = openbox ] && start_openbox
  PATH="$WORK/bin:$PATH" KIRU_TEST_FRAME_RATE=5 start_kiru /s
  local warning saver
  warning=$(window_id "$WARNING") || fail "$desktop: no hardware warning"
  saver=$(window_id "Screen Saver") || fail "$desktop: no saver window"
  wait_until 5 stacked_above "$warning" "$saver" || fail "$desktop: the warning is beneath the saver"
  pointer_kept_in "$warning" || fail "$desktop: the pointer left the warning ($(pointer_at))"
  still_running "$KIRU_PID" || fail "$desktop: the saver ended while the warning was open"

  # "Download Pellor" (238, 53, 88 x 18 units of 401 x 262): the page opens, the
  # warning stays on top.
  xdotool mousemove $((GX + 282 * GW / 401)) $((GY + 62 * GH / 262)) click 1
  wait_until 10 grep -q 'pellor' "$WORK/opened" 2>/dev/null || fail "$desktop: Download Pellor opened nothing"
  stacked_above "$warning" "$saver" || fail "$desktop: Download Pellor put the warning beneath the saver"

  # "Remove Kiru" (238, 184, 88 x 16): the Linux notice, over the warning.
  xdotool mousemove $((GX + 282 * GW / 401)) $((GY + 192 * GH / 262)) click 1
  local notice
  notice=$(window_id "How to remove Kiru") || fail "$desktop: no removal notice"
  stacked_above "$notice" "$warning" || fail "$desktop: the removal notice is beneath the warning"
  xdotool key Return
  wait_for_gone "How to remove Kiru" || fail "$desktop: Enter did not close the notice"

  # From the focused "Remove Kiru": Tab (Close, Download, Disable), Space, Enter (Continue).
  xdotool key Tab Tab Tab space Return
  wait_for_gone "$WARNING" || fail "$desktop: Enter did not continue"
  [ "$(hive_dword disable_frame_warn)" = 1 ] || fail "$desktop: Continue with the box ticked did not write disable_frame_warn"
  still_running "$KIRU_PID" || fail "$desktop: Continue ended the saver"

  xdotool key F1
  local menu
  menu=$(window_id "Control Menu") || fail "$desktop: F1 showed no Control Menu"
  stacked_above "$menu" "$saver" || fail "$desktop: the Control Menu is beneath the saver"
  pointer_kept_in "$menu" || fail "$desktop: the pointer left the Control Menu ($(pointer_at))"
  xdotool key Escape
  wait_for_gone "Control Menu" || fail "$desktop: Esc did not close the Control Menu"

  xdotool key F11
  local params
  params=$(window_id "Params") || fail "$desktop: F11 showed no parameter box"
  stacked_above "$params" "$saver" || fail "$desktop: the parameter box is beneath the saver"
  centred_on_screen "$params" || fail "$desktop: the parameter box is not centred over the saver ($GX,$GY ${GW}x$GH)"
  xdotool key Return
  wait_for_gone "Params" || fail "$desktop: Enter did not close the parameter box"

  sleep 0.5
  still_running "$KIRU_PID" || fail "$desktop: the saver ended with a dialog"
  xdotool key Escape  # the saver has the keyboard again
  wait_exit "$KIRU_PID" 10 || fail "$desktop: Esc did not end the saver after its dialogs"
  [ "$EXIT_STATUS" = 0 ] || fail "$desktop: exit status $EXIT_STATUS"
  echo "$desktop: PASS"
}

start_x
round bare
round openbox
echo "PASS"
