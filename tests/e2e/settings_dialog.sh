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
wait_until 10 picture_moves "$crop" || fail "the preview does not move"

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

# --- Esc from inside the seconds field cancels: nothing stored ---
start_dialog
read_geometry "$WIN"
cp "$HIVE" "$WORK/at-start.reg"
click_du 327 75
hover_preview
xdotool key Prior
click_du 350 127     # into the seconds field, nothing typed
xdotool key Escape
wait_dialog_closed
[ "$EXIT_STATUS" = 1 ] || fail "exit status $EXIT_STATUS after Esc in the seconds field, expected 1 (cancelled)"
cmp -s "$HIVE" "$WORK/at-start.reg" || fail "Esc in the seconds field changed the hive"
echo "Esc in the seconds field cancelled"

# --- The keyboard alone: Tab x3 from the first Enable box reaches module 4's, Space
# unticks it, Enter is still "Ahead", Shift+Tab x4 goes round to OK, Space presses it ---
start_dialog
[ "$(hive_dword "mod4 active")" = 1 ] || fail "module 4 is not enabled at the start"
xdotool key Tab Tab Tab space
sleep 0.3
xdotool key Return
sleep 0.5
kill -0 "$KIRU_PID" 2>/dev/null || fail "Enter ended the dialog instead of going ahead"
xdotool key shift+Tab shift+Tab shift+Tab shift+Tab
sleep 0.3
xdotool key space
wait_dialog_closed
[ "$(hive_dword "mod4 active")" = 0 ] || fail "Tab x3, Space, Shift+Tab x4, Space did not store module 4 as disabled"
[ "$(hive_dword "mod3 active")" = 1 ] || fail "Tab x3, Space touched module 3"
echo "Tab, Shift+Tab and Space reached the dialog, Enter went ahead"

# --- A stored view that cannot be read takes no other value with it ---
sed -i '/^"mod1 depth"=/d; /^"mod3 depth"=/d; /^"mod6 depth"=/d' "$HIVE"
printf '"mod1 depth"="not a number"\n"mod3 depth"=dword:00003039\n"mod6 depth"=dword:7fffffff\n' >>"$HIVE"
grep -a '^"mod[2-9] \|^"mod10 ' "$HIVE" | grep -v '^"mod1 depth"' >"$WORK/others.before"
start_kiru /c
window_id "Kiru Settings" >/dev/null || fail "no dialog over a damaged value"
xdotool key Escape
wait_dialog_closed
grep -a '^"mod[2-9] \|^"mod10 ' "$HIVE" | grep -v '^"mod1 depth"' >"$WORK/others.after"
cmp -s "$WORK/others.before" "$WORK/others.after" || { diff "$WORK/others.before" "$WORK/others.after" || true; fail "a damaged mod1 depth changed other modules' values"; }
[ "$(hive_dword "mod1 depth")" = 5000 ] || fail "the damaged mod1 depth did not fall back to 5000"
echo "a damaged value fell back alone"

# --- No font at all: the dialog cannot be shown and ends as cancelled, saying why ---
printf '<?xml version="1.0"?>\n<fontconfig><cachedir>%s/fccache</cachedir></fontconfig>\n' "$WORK" >"$WORK/nofonts.conf"
FONTCONFIG_FILE="$WORK/nofonts.conf" start_kiru /c
wait_exit "$KIRU_PID" 20 || fail "the dialog without fonts did not end"
[ "$EXIT_STATUS" = 1 ] || fail "exit status $EXIT_STATUS without fonts, expected 1 (cancelled)"
[ "$(wc -l <"$WORK/kiru.log")" = 1 ] && grep -q 'no font' "$WORK/kiru.log" || fail "not one line about the missing font: $(cat "$WORK/kiru.log")"

# --- No display, or one that cannot be opened: stderr says so before the 255 ---
for display in "" ":$((RANDOM % 100 + 700))"; do
  DISPLAY=$display start_kiru /c
  wait_exit "$KIRU_PID" 10 || fail "kiru /c without a display did not end"
  [ "$EXIT_STATUS" = 255 ] || fail "exit status $EXIT_STATUS with DISPLAY='$display', expected 255"
  grep -qi 'display' "$WORK/kiru.log" || fail "nothing on stderr about DISPLAY='$display'"
done

# --- Small screens, and a larger face than DejaVu Sans: the dialog shrinks its text
# and layout until it fits, OK and Cancel wholly on the screen ---
mkdir -p "$WORK/widefont"
# The face fontconfig falls back to where DejaVu is missing and Tibetan Machine is
# installed: its lines are far taller than the templates expect.
ln -sf /usr/share/fonts/truetype/tibetan-machine/TibetanMachineUni.ttf "$WORK/widefont/"
printf '<?xml version="1.0"?>\n<fontconfig><dir>%s/widefont</dir><cachedir>%s/fccache</cachedir></fontconfig>\n' \
  "$WORK" "$WORK" >"$WORK/widefont.conf"
stop_xvfb
cases=(640x480: 800x600:)
[ -e /usr/share/fonts/truetype/tibetan-machine/TibetanMachineUni.ttf ] && cases+=(1024x768:"$WORK/widefont.conf")
for case in "${cases[@]}"; do
  screen=${case%%:*} fonts=${case#*:}
  start_x "${screen}x24"
  export KIRU_TRACE_FIRST_FRAME=1
  if [ -n "$fonts" ]; then FONTCONFIG_FILE=$fonts start_kiru /c; else start_kiru /c; fi
  unset KIRU_TRACE_FIRST_FRAME
  win=$(window_id "Kiru Settings") || fail "$screen: no dialog"
  wait_for_first_frame  # laid out and shown
  read_geometry "$win"
  # OK is the template's lowest control and Cancel sits above it, both at its right.
  [ "$GX" -ge 0 ] && [ "$GY" -ge 0 ] && [ $((GX + GW)) -le "${screen%x*}" ] && [ $((GY + GH)) -le "${screen#*x}" ] ||
    fail "$screen${fonts:+ (fallback face)}: the dialog ${GW}x$GH+$GX+$GY does not fit the screen"
  echo "$screen${fonts:+ (fallback face)}: dialog ${GW}x$GH+$GX+$GY"
  xdotool key Escape
  wait_dialog_closed
  stop_xvfb
done
start_x

# --- A store the user may not write: OK's save fails and stderr names the file
# (root writes anyway, so the run is made as nobody where the test runs as root) ---
write_quiet_hive "$HIVE"  # values missing: OK wants to write them
chmod 0444 "$HIVE"
as_user=()
if [ "$(id -u)" = 0 ]; then
  command -v setpriv >/dev/null && id nobody >/dev/null 2>&1 || { echo "skipped: no setpriv or user nobody"; echo PASS; exit 0; }
  chmod 0755 "$WORK"
  chown -R nobody "$HOME" "$XDG_CONFIG_HOME"
  command -v xhost >/dev/null && xhost +si:localuser:nobody >/dev/null
  as_user=(setpriv --reuid=nobody --regid="$(id -g nobody)" --clear-groups)
fi
: >"$WORK/kiru.log"
"${as_user[@]}" env KIRU_TRACE_FIRST_FRAME=1 "$KIRU" /c >"$WORK/kiru.log" 2>&1 &
KIRU_PID=$!
PIDS+=("$KIRU_PID")
WIN=$(window_id "Kiru Settings.*") || fail "no dialog over a read-only store"
wait_for_first_frame
read_geometry "$WIN"
click_du 352 260  # OK
wait_dialog_closed
grep -qF "$HIVE" "$WORK/kiru.log" || fail "stderr does not name the read-only store: $(cat "$WORK/kiru.log")"
echo "a read-only store was named: $(grep -F "$HIVE" "$WORK/kiru.log" | head -1)"
echo "PASS"
