#!/usr/bin/env bash
# Full-screen saving as a native Wayland client, under a headless sway with two
# outputs of different sizes. With neither Wayland nor X it says so in one line
# and ends with 255. Without an X server both outputs show their own
# picture, centred; F1's box cannot show and saving goes on; Page Up x3 and Esc
# end it with 0 and store the depth; a 50-pixel pointer move keeps it and 150 in
# all end it; an output added while saving is covered within 2 s; swayidle's
# timeout starts it. With Xwayland present too, the native saver is still used,
# F1's key list shows over it, Esc closes it, the saver covers again and a second
# Esc ends it with 0. sway refuses root: as root, it runs as the test user kirutest.
source "$(dirname "$0")/common.bash"
for tool in sway swaymsg swayidle grim wtype python3; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done
POINTER=${KIRU_BINARY_DIR:-$(dirname "$KIRU")}/virtual_pointer
[ -x "$POINTER" ] || { echo "skipped: $POINTER is not built"; exit 77; }

source "$(dirname "$0")/../../tools/sway-common.sh"
SESSION=$WORK/wayland
mkdir -p "$SESSION/config/kiru"
cp "$KIRU" "$POINTER" "$SESSION/"
chmod 711 "$WORK"
HIVE=$SESSION/config/kiru/user.reg
write_quiet_hive "$HIVE"
enable_only_module 1  # depth 50: Page Up adds 1 a press
cat >"$SESSION/sway.conf" <<'EOF'
output HEADLESS-1 mode 1280x720 position 0 0
output HEADLESS-2 mode 1024x768 position 1280 0
default_border none
EOF
trap 'cleanup; remove_sway_user' EXIT
start_sway "$SESSION" "$SESSION/sway.conf" || fail "sway did not start"
PIDS+=("$SWAY_PID")

start_saver() {  # [VAR=value...]: kiru /s as the session's user; its PID in KIRU_PID
  "${AS_SESSION[@]}" "$@" "$SESSION/kiru" /s >"$WORK/kiru.log" 2>&1 &
  KIRU_PID=$!
  PIDS+=("$KIRU_PID")
}
# One virtual keyboard for the lot: a new one's first key may be lost while sway
# hands its keymap over.
keys() { local k args=(); for k in "$@"; do args+=(-s 300 -k "$k"); done; session wtype -s 200 "${args[@]}"; }

# Output $1 shows the saver: black but for 1 to 60 % of lit pixels (sway's own
# background is grey), their centre of mass within 10 % of the output's centre.
output_centred() {
  session grim -o "$1" - >"$WORK/$1.png" || return 1
  convert "$WORK/$1.png" -scale 25% -colorspace gray -depth 8 "$WORK/$1.pgm"
  python3 - "$WORK/$1.pgm" "$1" <<'PY'
import sys
magic, w, h, _, px = open(sys.argv[1], 'rb').read().split(None, 4)
w, h = int(w), int(h)
n = sx = sy = 0
for i, v in enumerate(px[:w * h]):
    if v > 5:
        n += 1; sx += i % w; sy += i // w
if not w * h // 100 <= n <= w * h * 6 // 10:
    print(f"  {sys.argv[2]}: {n} of {w * h} lit"); sys.exit(1)
dx, dy = 100 * (sx / n - w / 2) / w, 100 * (sy / n - h / 2) / h
print(f"  {sys.argv[2]}: {100 * n // (w * h)} % lit, centre of mass off by {dx:+.1f} % x {dy:+.1f} %")
sys.exit(0 if abs(dx) <= 10 and abs(dy) <= 10 else 1)
PY
}

# Share of the desktop's pixels in the dialogs' grey (212, 208, 200), in tenths of a percent.
dialog_grey() {
  session grim - >"$WORK/grey.png"
  convert "$WORK/grey.png" -fill white -fuzz 1% -opaque 'rgb(212,208,200)' -fill black +opaque white \
    -colorspace gray -format '%[fx:int(mean*1000)]\n' info:
}
tree_has() { session swaymsg -t get_tree | grep -q "\"name\": \"$1\""; }

echo "no display at all:"
set +e
env -u DISPLAY -u WAYLAND_DISPLAY "$KIRU" /s >"$WORK/none.log" 2>&1
status=$?
set -e
[ "$status" = 255 ] && [ "$(wc -l <"$WORK/none.log")" = 1 ] || fail "without any display: status $status, $(cat "$WORK/none.log")"

echo "no X server:"
start_saver
wait_until 20 output_centred HEADLESS-1 || fail "HEADLESS-1 not lit with a centred picture"
output_centred HEADLESS-2 || fail "HEADLESS-2 not lit with a centred picture"
keys F1
wait_until 10 grep -q 'no X server' "$WORK/kiru.log" || true
still_running "$KIRU_PID" || fail "F1 without an X server ended the saver"
[ "$(grep -c 'no X server' "$WORK/kiru.log")" = 1 ] || fail "not one line about the missing X server"
keys Prior Prior Prior Escape
wait_exit "$KIRU_PID" 10 || fail "Esc did not end the saver"
[ "$EXIT_STATUS" = 0 ] || fail "exit status $EXIT_STATUS after Esc"
[ "$(hive_dword "mod1 depth")" = 5300 ] || fail "mod1 depth $(hive_dword "mod1 depth") after Page Up x3, expected 5300"

echo "an output added, and the pointer:"
start_saver
wait_until 20 output_centred HEADLESS-1 || fail "no picture for the pointer run"
session swaymsg create_output >/dev/null
wait_until 2 output_centred HEADLESS-3 || fail "the output added while saving was not covered within 2 s"
# A change of the outputs starts the count afresh: the motion comes after it.
session "$SESSION/virtual_pointer" 1,0 || fail "the virtual pointer did not move"  # seen once
session "$SESSION/virtual_pointer" 30,0 20,0
sleep 0.5
still_running "$KIRU_PID" || fail "a 50-pixel pointer move ended the saver"
session "$SESSION/virtual_pointer" 50,0 50,0
wait_exit "$KIRU_PID" 5 || fail "150 pixels of pointer motion did not end the saver"
[ "$EXIT_STATUS" = 0 ] || fail "exit status $EXIT_STATUS after the pointer moved"

echo "swayidle:"
"${AS_SESSION[@]}" swayidle -w timeout 1 "$SESSION/kiru /s" >"$WORK/idle.log" 2>&1 &
IDLE_PID=$!
PIDS+=("$IDLE_PID")
wait_until 15 output_centred HEADLESS-1 || fail "swayidle's timeout did not start the saver"
keys Escape
saver_gone() { ! pgrep -f "^$SESSION/kiru" >/dev/null; }
wait_until 10 saver_gone || fail "Esc did not end the saver swayidle started"
kill "$IDLE_PID"

echo "with Xwayland:"
session swaymsg exec "'echo \$DISPLAY >$SESSION/display'" >/dev/null
wait_until 5 test -s "$SESSION/display" || fail "sway gave no Xwayland display"
start_saver DISPLAY="$(cat "$SESSION/display")"
wait_until 20 output_centred HEADLESS-1 || fail "no picture with Xwayland present"
! tree_has "Screen Saver" || fail "the saver is an X window, not the native one"
keys F1
wait_until 10 tree_has "Control Menu" || fail "F1 showed no key list"
wait_until 5 eval '[ "$(dialog_grey)" -ge 5 ]' || fail "the key list does not show over the saver"
keys Escape
wait_until 5 eval '! tree_has "Control Menu"' || fail "Esc did not close the key list"
wait_until 5 eval '[ "$(dialog_grey)" -lt 1 ] && output_centred HEADLESS-1' || fail "the saver did not cover again"
keys Escape
wait_exit "$KIRU_PID" 10 || fail "a second Esc did not end the saver"
[ "$EXIT_STATUS" = 0 ] || fail "exit status $EXIT_STATUS after the key list"
echo "PASS"
