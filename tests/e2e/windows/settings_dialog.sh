# Kiru.scr /c under Wine shows the settings dialog with its controls; Esc ends it
# with 1 and keeps what the keys changed out of the registry.
source "$(dirname "$0")/wine-common.bash"
reset_settings
start_scr /c
# Its title soon carries the frame rate, so the name is matched at its start.
for i in $(seq 1 300); do
  grep -q '"Kiru Settings' <<<"$(xwininfo -root -tree)" && break
  sleep 0.1
done
grep -q '"Kiru Settings' <<<"$(xwininfo -root -tree)" || fail "no settings dialog"
sleep 3
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
