# Kiru.scr /c under Wine shows the settings dialog with its controls; Esc ends it
# with 1 and keeps what the keys changed out of the registry, also from inside the
# seconds field; Tab, Space and Enter work the dialog from the keyboard alone.
source "$(dirname "$0")/wine-common.bash"
reset_settings

# Starts /c and waits until the dialog shows and settles.
start_dialog() {
  start_scr /c
  # Its title soon carries the frame rate, so the name is matched at its start.
  for i in $(seq 1 300); do
    grep -q '"Kiru Settings' <<<"$(xwininfo -root -tree)" && break
    sleep 0.1
  done
  grep -q '"Kiru Settings' <<<"$(xwininfo -root -tree)" || fail "no settings dialog"
  wait_until 30 rate_shown || fail "the dialog's frames did not start"
}
rate_shown() { grep -q '"Kiru Settings ~ (animation frames per second: ' <<<"$(xwininfo -root -tree)"; }

start_dialog
import -window root "$WORK/dialog.png"
cp "$WORK/dialog.png" "$KIRU_BINARY_DIR/wine-settings.png" 2>/dev/null || true
# The dialog's face (not black) around the Module Control group.
lit=$(lit_percent 200x200+650+200)
awk -v l="$lit" 'BEGIN { exit !(l >= 50) }' || fail "no dialog face on the screen ($lit% lit)"
[ "$(reg_dword "mod1 speed")" = 0x32 ] || fail "start-up did not store the normalised set"
xdotool key F9 F9
sleep 1
xdotool key Escape
wait_exit "$KIRU_PID" 20 || fail "Esc did not end the dialog"
[ "$EXIT_STATUS" -eq 1 ] || fail "Esc ended the dialog with $EXIT_STATUS"
[ "$(reg_dword "mod1 speed")" = 0x32 ] || fail "Esc stored mod1 speed $(reg_dword "mod1 speed")"
echo "ok: dialog shown, Esc ended it with 1, nothing stored"

# The keyboard alone: from the first Enable box, Tab x3 reaches module 4's, Space
# unticks it, Enter is still "Ahead", Shift+Tab x4 goes round to OK and Space
# presses it, which stores it; the preview keys still steer.
start_dialog
[ "$(reg_dword "mod4 active")" = 0x1 ] || fail "module 4 is not enabled at the start ($(reg_dword "mod4 active"))"
xdotool key F9
sleep 0.5
xdotool key Tab Tab Tab space
sleep 0.5
xdotool key Return
sleep 1
kill -0 "$KIRU_PID" 2>/dev/null || fail "Enter ended the dialog instead of going ahead"
xdotool key shift+Tab shift+Tab shift+Tab shift+Tab
sleep 0.5
xdotool key space
wait_exit "$KIRU_PID" 20 || fail "Space on OK did not end the dialog"
[ "$(reg_dword "mod4 active")" = 0x0 ] || fail "the keyboard alone stored mod4 active $(reg_dword "mod4 active")"
[ "$(reg_dword "mod3 active")" = 0x1 ] || fail "Tab x3, Space touched module 3"
[ "$(reg_dword "mod1 speed")" = 0x3e ] || fail "F9 before the Tabs did not steer the preview ($(reg_dword "mod1 speed"))"
echo "ok: Tab, Shift+Tab and Space reached the dialog, Enter went ahead, F9 steered the preview"

# Esc from inside the seconds field (clicked into, nothing typed) cancels too.
start_dialog
win=$(xdotool search --name '^Kiru Settings' | head -1)
eval "$(xdotool getwindowgeometry --shell "$win")"
xdotool key F9
sleep 0.5
# The field's centre, in dialog units of the 425 x 281 template.
xdotool mousemove $((X + 350 * WIDTH / 425)) $((Y + 127 * HEIGHT / 281)) click 1
sleep 0.5
xdotool key Escape
wait_exit "$KIRU_PID" 20 || fail "Esc in the seconds field did not end the dialog"
[ "$EXIT_STATUS" -eq 1 ] || fail "Esc in the seconds field ended the dialog with $EXIT_STATUS"
[ "$(reg_dword "mod1 speed")" = 0x3e ] || fail "Esc in the seconds field stored mod1 speed $(reg_dword "mod1 speed")"
echo "ok: Esc in the seconds field cancelled"
