#!/usr/bin/env bash
# Full-screen saving under mutter, GNOME's compositor, which has no layer shell: the
# fullscreen-window fallback. A headless mutter without X, monitors of 1280x720, 1280x720
# and 800x600, as the test user. In one run: every monitor shows a centred picture of the
# same shape; a monitor added is covered, and once it is removed again every monitor is
# still covered and undistorted (mutter moves the other monitors' windows to the first
# whenever a monitor comes or goes: the second's without a configure, as it keeps its
# size and has not the keyboard, the third's resized); F1's key list shows over the
# saver, Esc closes it and saving goes on; Page Up then Esc end it with 0 and store the
# depth. Keys, pictures (PipeWire screen casts) and the added monitor come through
# mutter's D-Bus services (helpers/mutter_remote.py).
source "$(dirname "$0")/common.bash"
for tool in mutter dbus-daemon gdbus pipewire wireplumber pw-cli gst-launch-1.0; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done
/usr/bin/python3 -c 'from gi.repository import Gio' 2>/dev/null || { echo "skipped: python3-gi is not installed"; exit 77; }

source "$(dirname "$0")/../../tools/wayland-session.sh"
SESSION=$WORK/mutter
mkdir -p "$SESSION/config/kiru"
cp "$KIRU" "$(dirname "$0")/helpers/mutter_remote.py" "$SESSION/"
chmod 711 "$WORK"
HIVE=$SESSION/config/kiru/user.reg
write_quiet_hive "$HIVE"
enable_only_module 1  # depth 50: Page Up adds 1 a press
trap 'cleanup; stop_session; release_test_user' EXIT
start_mutter "$SESSION" --virtual-monitor 1280x720 --virtual-monitor 1280x720 --virtual-monitor 800x600 || fail "mutter did not start"
PIDS+=("${SESSION_PIDS[@]}")
start_pipewire || fail "PipeWire did not start"
MONITORS=(Meta-0 Meta-1 Meta-2)

# One helper for the run: mutter ends its input session with the connection.
coproc REMOTE { exec "${AS_SESSION[@]}" python3 "$SESSION/mutter_remote.py" 2>"$WORK/remote.log"; }
PIDS+=("$REMOTE_PID")
REMOTE_OUT=${REMOTE[0]} REMOTE_IN=${REMOTE[1]}
remote() {  # COMMAND ARG...: its answer in ANSWER; false on an error
  echo "$*" >&"$REMOTE_IN"
  read -r -t 30 -u "$REMOTE_OUT" ANSWER || fail "no answer to $1: $(cat "$WORK/remote.log")"
  [ "${ANSWER%% *}" != error ] || { echo "  $1: $ANSWER" >&2; return 1; }
}
read -r -t 30 -u "$REMOTE_OUT" ANSWER && [ "$ANSWER" = ready ] || fail "the D-Bus helper did not start: $(cat "$WORK/remote.log")"

keys() { local k codes=(); for k in "$@"; do codes+=("$(input_code "$k")"); done; remote keys "${codes[@]}"; }
shot() { remote shot "$1" "$SESSION/$1.png"; }
# Every monitor named shows a centred picture, the same shape on each.
covered() {
  local m pictures=() ok=0
  for m in "$@"; do
    shot "$m" || return 1
    picture_centred "$SESSION/$m.png" "$m" || ok=1
    pictures+=("$SESSION/$m.png")
  done
  same_shape "${pictures[@]}" && return $ok
}
# The key list shows on one output: the larger share of the dialogs' grey, in GREY.
dialog_grey() {
  local m share
  GREY=0
  for m in "${MONITORS[@]}"; do
    shot "$m" || return 1
    share=$(grey_share "$SESSION/$m.png")
    [ "$share" -le "$GREY" ] || GREY=$share
  done
}
dialog_shown() { dialog_grey && [ "$GREY" -ge 5 ]; }
dialog_closed() { dialog_grey && [ "$GREY" -lt 1 ] && still_running "$KIRU_PID" && covered "${MONITORS[@]}"; }

"${AS_SESSION[@]}" "$SESSION/kiru" /s >"$WORK/kiru.log" 2>&1 &
KIRU_PID=$!
PIDS+=("$KIRU_PID")
within 20 covered "${MONITORS[0]}" || fail "${MONITORS[0]} not lit with a centred picture"
expect "every monitor covered, centred, undistorted" within 5 covered "${MONITORS[@]}"
keys Prior
remote add 1024 768 || fail "no monitor could be added"
added=$ANSWER
expect "the monitor added ($added) covered, every monitor undistorted" within 5 covered "${MONITORS[@]}" "$added"
remote remove || fail "the added monitor could not be removed"
expect "with it removed, every monitor covered and undistorted" within 5 covered "${MONITORS[@]}"
keys F1
expect "F1's key list over the saver" within 10 dialog_shown
keys Escape
expect "Esc closes the key list, saving goes on" within 5 dialog_closed
keys Escape
wait_exit "$KIRU_PID" 10 || fail "Esc did not end the saver"
expect "exit status 0 after Esc (got $EXIT_STATUS)" test "$EXIT_STATUS" = 0
expect "mod1 depth 5100 after Page Up (got $(hive_dword "mod1 depth"))" test "$(hive_dword "mod1 depth")" = 5100
checks_passed
