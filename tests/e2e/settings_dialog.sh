#!/usr/bin/env bash
# The settings dialog on a real X server: it opens with a moving preview and the
# frame rate in its title; a Select button and Page Up in the preview change a
# view that OK stores in the hive, while Cancel leaves the hive as start-up wrote it.
# The seconds field takes only digits; the parameter box (F11) shows over the dialog.
# Usage: settings_dialog.sh <kiru binary>   (KIRU_SCREENSHOT=<png> also saves a picture)
source "$(dirname "$0")/common.bash"
for tool in xdotool import compare; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done
start_x
setup_home

# Starts the dialog and waits for the frame-rate readout; sets KIRU_PID and WIN.
start_dialog() {
  start_kiru /c
  WIN=""
  for _ in $(seq 600); do  # a sanitizer build on a busy machine takes a while
    WIN=$(xdotool search --name "Kiru Settings" 2>/dev/null | head -1 || true)
    if [ -n "$WIN" ] && xdotool getwindowname "$WIN" | grep -q "animation frames per second"; then return 0; fi
    sleep 0.1
  done
  fail "no dialog with a frame-rate title (window '${WIN}')"
}

# Dialog units to screen pixels from the dialog's own size (425 × 281 units).
click_du() {  # x y in dialog units (the centre of the control)
  local px=$((GX + $1 * GW / 425)) py=$((GY + $2 * GH / 281))
  xdotool mousemove "$px" "$py" click 1
  sleep 0.3
}
hover_preview() { xdotool mousemove $((GX + 140 * GW / 425)) $((GY + 100 * GH / 281)); sleep 0.2; }
wait_dialog_closed() { wait_exit "$KIRU_PID" 20 || fail "the dialog did not close"; }
hive_value() { grep -i "^\"$1\"=" "$HIVE" | head -1 | cut -d= -f2; }

# --- OK path ---
start_dialog
read_geometry "$WIN"
title=$(xdotool getwindowname "$WIN")
[[ "$title" =~ ^Kiru\ Settings\ ~\ \(animation\ frames\ per\ second:\ [0-9]+\)$ ]] || fail "title '$title'"

# The preview moves: two pictures of it a moment apart differ.
crop="$((274 * GW / 425))x$((191 * GH / 281))+$((GX + 6 * GW / 425))+$((GY + 5 * GH / 281))"
import -window root -crop "$crop" "$WORK/a.png"
sleep 0.7
import -window root -crop "$crop" "$WORK/b.png"
diff_pixels=$(compare -metric AE "$WORK/a.png" "$WORK/b.png" null: 2>&1 || true)
[ "${diff_pixels%% *}" != "0" ] || fail "the preview does not move"

if [ -n "${KIRU_SCREENSHOT:-}" ]; then
  sleep 1.5
  import -window "$WIN" "$KIRU_SCREENSHOT"
fi

# The seconds field takes digits only: of "-+0x1f9" typed over it, "019" stays.
click_du 350 127
xdotool key ctrl+a
xdotool type -- '-+0x1f9'

# Moved away from the middle, the dialog still has its parameter box (F11) over it.
xdotool windowmove "$WIN" 20 20
sleep 0.5
read_geometry "$WIN"
before=$(hive_value "mod4 depth")
click_du 327 75      # Select "Tsurphu" (module 4)
hover_preview
xdotool key F11
params=$(window_id Params) || fail "F11 showed no parameter box"
dialog_x=$((GX + GW / 2)) dialog_y=$((GY + GH / 2))
read_geometry "$params"
dx=$((GX + GW / 2 - dialog_x)) dy=$((GY + GH / 2 - dialog_y))
[ "${dx#-}" -le 1 ] && [ "${dy#-}" -le 1 ] || fail "the parameter box is not centred over its dialog (off by $dx, $dy)"
xdotool key Return
wait_for_gone Params || fail "Enter did not close the parameter box"
read_geometry "$WIN"
for _ in 1 2 3; do xdotool key Prior; sleep 0.15; done
sleep 0.3
click_du 352 260     # OK
wait_dialog_closed
after=$(hive_value "mod4 depth")
[ -n "$after" ] && [ "$after" != "$before" ] || fail "OK did not store the new depth ($before -> $after)"
echo "OK stored mod4 depth $before -> $after"
[ "$(hive_dword "cycle time")" = 19 ] || fail "cycle time is '$(hive_dword "cycle time")' after typing -+0x1f9, expected 19"

# --- Cancel path ---
start_dialog
read_geometry "$WIN"
cp "$HIVE" "$WORK/at-start.reg"
click_du 327 75
hover_preview
for _ in 1 2 3; do xdotool key Prior; sleep 0.15; done
click_du 379 107     # Disable All
click_du 352 234     # Cancel
wait_dialog_closed
cmp -s "$HIVE" "$WORK/at-start.reg" || { diff "$WORK/at-start.reg" "$HIVE" || true; fail "Cancel changed the hive"; }
echo "Cancel left the hive as start-up wrote it"
