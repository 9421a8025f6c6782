#!/usr/bin/env bash
# Full-screen saving under KWin, through its layer shell: a headless kwin_wayland
# with two virtual outputs and no Xwayland, as the test user. In one run: both
# outputs show a centred picture; F1's key list shows over the saver, Esc closes it
# and saving goes on; Page Up then Esc end it with 0 and store the depth. Keys come
# through KWin's fake input (build/virtual_pointer), pictures through its D-Bus
# screenshots (helpers/kwin_screenshot.py).
source "$(dirname "$0")/common.bash"
for tool in /usr/bin/kwin_wayland dbus-daemon gdbus; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done
/usr/bin/python3 -c 'from gi.repository import Gio' 2>/dev/null || { echo "skipped: python3-gi is not installed"; exit 77; }
INPUT=${KIRU_BINARY_DIR:-$(dirname "$KIRU")}/virtual_pointer
[ -x "$INPUT" ] || { echo "skipped: $INPUT is not built"; exit 77; }

source "$(dirname "$0")/../../tools/wayland-session.sh"
SESSION=$WORK/kwin
mkdir -p "$SESSION/config/kiru"
cp "$KIRU" "$INPUT" "$(dirname "$0")/helpers/kwin_screenshot.py" "$SESSION/"
chmod 711 "$WORK"
HIVE=$SESSION/config/kiru/user.reg
write_quiet_hive "$HIVE"
enable_only_module 1  # depth 50: Page Up adds 1 a press
trap 'cleanup; stop_session; release_test_user' EXIT
start_kwin "$SESSION" --output-count 2 --width 1024 --height 768 || fail "KWin did not start"
PIDS+=("${SESSION_PIDS[@]}")
OUTPUTS=(Virtual-0 Virtual-1)

keys() { local k steps=(); for k in "$@"; do steps+=("key:$(input_code "$k")"); done; session "$SESSION/virtual_pointer" "${steps[@]}"; }
# Pictures of the outputs named, in SESSION/NAME.ppm.
shot() {
  local o args=()
  for o in "$@"; do args+=("$o" "$SESSION/$o.ppm"); done
  session python3 "$SESSION/kwin_screenshot.py" "${args[@]}"
}
output_centred() { shot "$1" && picture_centred "$SESSION/$1.ppm" "$1"; }
all_centred() {
  local o
  shot "${OUTPUTS[@]}" || return 1
  for o in "${OUTPUTS[@]}"; do picture_centred "$SESSION/$o.ppm" "$o" || return 1; done
}
# The key list shows on one output: the larger share of the dialogs' grey, in GREY.
dialog_grey() {
  local o share
  GREY=0
  shot "${OUTPUTS[@]}" || return 1
  for o in "${OUTPUTS[@]}"; do
    share=$(grey_share "$SESSION/$o.ppm")
    [ "$share" -le "$GREY" ] || GREY=$share
  done
}
dialog_shown() { dialog_grey && [ "$GREY" -ge 5 ]; }
dialog_closed() { dialog_grey && [ "$GREY" -lt 1 ] && still_running "$KIRU_PID" && all_centred; }

"${AS_SESSION[@]}" "$SESSION/kiru" /s >"$WORK/kiru.log" 2>&1 &
KIRU_PID=$!
PIDS+=("$KIRU_PID")
within 20 output_centred "${OUTPUTS[0]}" || fail "${OUTPUTS[0]} not lit with a centred picture"
expect "both outputs covered, centred" all_centred
keys Prior F1
expect "F1's key list over the saver" within 10 dialog_shown
keys Escape
expect "Esc closes the key list, saving goes on" within 5 dialog_closed
keys Escape
wait_exit "$KIRU_PID" 10 || fail "Esc did not end the saver"
expect "exit status 0 after Esc (got $EXIT_STATUS)" test "$EXIT_STATUS" = 0
expect "mod1 depth 5100 after Page Up (got $(hive_dword "mod1 depth"))" test "$(hive_dword "mod1 depth")" = 5100
checks_passed
