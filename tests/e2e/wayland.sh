#!/usr/bin/env bash
# Full-screen saving as a native Wayland client, under a headless sway with two
# outputs of different sizes. With neither Wayland nor X it says so in one line
# and ends with 255. Two savers started together, one naming the socket by its
# full path: one runs, the other ends at once, and a key 0.15 s after the start
# ends the one that runs. Without an X server both outputs show their own picture,
# centred; F1's key list, drawn by the saver itself, shows and Esc closes it;
# F11's values show in a box, not on stderr, which Space closes; a click on the
# key list's OK closes it; saving goes on through all of it; Page Up x3 and Esc
# end it with 0 and store the depth. An error box before the first frame shows
# over the black window and Enter closes it; the frame-rate warning's check box is
# ticked and Continue pressed from the keyboard. A scale-2 output is drawn at its
# own pixels; a 50-pixel pointer move keeps it and 150 in all end it; an output
# added while saving is covered within 2 s; swayidle's timeout starts it. With
# Xwayland and a bright X window open, the native saver covers the window, F1's
# key list shows over the saver with no pixel of the window, Esc closes it, the
# saver covers again and a second Esc ends it with 0. Under a sway nested in the
# first, with three outputs: the middle one closed takes its view with it and the
# others stay covered; the nested sway killed under a steered saver ends it with
# 255, the view stored. sway refuses root: as root, it runs as the test user.
source "$(dirname "$0")/common.bash"
for tool in sway swaymsg swayidle grim wtype python3; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done
POINTER=${KIRU_BINARY_DIR:-$(dirname "$KIRU")}/virtual_pointer
[ -x "$POINTER" ] || { echo "skipped: $POINTER is not built"; exit 77; }

source "$(dirname "$0")/../../tools/wayland-session.sh"
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
trap 'cleanup; release_test_user' EXIT
start_sway "$SESSION" "$SESSION/sway.conf" || fail "sway did not start"
PIDS+=("$SWAY_PID")
# A keyboard on the seat from the start, as a real one would be: without one, a
# saver binds the keyboard only when the first virtual one comes, and a key sent
# while it loads its settings and GL would reach no one.
"${AS_SESSION[@]}" wtype -s 3600000 -k F24 &
PIDS+=("$!")
has_keyboard() { session swaymsg -t get_inputs | grep -q '"type": "keyboard"'; }
wait_until 10 has_keyboard || fail "no virtual keyboard"

start_saver() {  # [VAR=value...]: kiru /s as the session's user; its PID in KIRU_PID
  "${AS_SESSION[@]}" "$@" "$SESSION/kiru" /s >"$WORK/kiru.log" 2>&1 &
  KIRU_PID=$!
  PIDS+=("$KIRU_PID")
}
# One virtual keyboard for the lot: a new one's first key may be lost while sway
# hands its keymap over.
keys() { local k args=(); for k in "$@"; do args+=(-s 300 -k "$k"); done; session wtype -s 200 "${args[@]}"; }

# Output $1 shows the saver (sway's own background is grey).
ON=()  # the compositor asked: the first sway, or (env WAYLAND_DISPLAY=...) the nested one
output_centred() {
  session "${ON[@]}" grim -o "$1" - >"$WORK/$1.png" || return 1
  picture_centred "$WORK/$1.png" "$1"
}

# Output $1 drawn at its own pixels, at scale 2: under 90 % of its lit 2x2 blocks
# are of one colour (a picture drawn at half the pixels and doubled has them all).
output_sharp() {
  session grim -o "$1" - >"$WORK/$1.png" || return 1
  convert "$WORK/$1.png" -depth 8 "$WORK/$1.ppm"
  python3 - "$WORK/$1.ppm" "$1" <<'PY'
import sys
data = open(sys.argv[1], 'rb').read()
fields, at = [], 0
while len(fields) < 4:  # P6, width, height, maximum; one blank, then the pixels
    while data[at:at + 1].isspace(): at += 1
    start = at
    while not data[at:at + 1].isspace(): at += 1
    fields.append(data[start:at])
w, h, px = int(fields[1]), int(fields[2]), data[at + 1:]
lit = same = 0
for y in range(0, h - 1, 2):
    top, bottom = px[3 * w * y:3 * w * (y + 1)], px[3 * w * (y + 1):3 * w * (y + 2)]
    for x in range(0, 3 * (w - 1), 6):
        a = top[x:x + 3]
        if max(a) > 20 or max(top[x + 3:x + 6]) > 20 or max(bottom[x:x + 6]) > 20:
            lit += 1
            same += a == top[x + 3:x + 6] == bottom[x:x + 3] == bottom[x + 3:x + 6]
share = 100 * same // max(lit, 1)
print(f"  {sys.argv[2]}: {w}x{h}, {share} % of {lit} lit 2x2 blocks of one colour")
sys.exit(0 if lit and share < 90 else 1)
PY
}

# Share of the desktop's pixels in the dialogs' grey, in tenths of a percent.
dialog_grey() {
  session grim - >"$WORK/grey.png"
  grey_share "$WORK/grey.png"
}
dialog_shown() { [ "$(dialog_grey)" -ge 5 ]; }
dialog_gone() { [ "$(dialog_grey)" -lt 1 ]; }
# Pixels of the X window's green (0, 255, 0) on the desktop screenshot $1; the
# saver's own green is far from it.
green_pixels() {
  convert "$1" -alpha off -fuzz 5% -transparent 'rgb(0,255,0)' -alpha extract -negate -precision 12 \
    -format '%[fx:int(mean*w*h+0.5)]\n' info:
}
# The middle of the key list's OK button on the desktop, from the grey of the
# screenshot $1: OK is centred, and its middle is 17 dialog units (some 28
# pixels) above the bottom of the client area, which is the grey's.
ok_button() {
  convert "$1" -alpha off -fuzz 1% -transparent 'rgb(212,208,200)' -alpha extract -negate -trim \
    -format '%[fx:int(page.x+w/2)],%[fx:int(page.y+h-29)]\n' info:
}
tree_has() { session swaymsg -t get_tree | grep -q "\"name\": \"$1\""; }

echo "no display at all:"
set +e
env -u DISPLAY -u WAYLAND_DISPLAY "$KIRU" /s >"$WORK/none.log" 2>&1
status=$?
set -e
[ "$status" = 255 ] && [ "$(wc -l <"$WORK/none.log")" = 1 ] || fail "without any display: status $status, $(cat "$WORK/none.log")"

echo "two savers together, one by the socket's full path; a key 0.15 s after the start:"
"${AS_SESSION[@]}" KIRU_TRACE_FIRST_FRAME=1 "$SESSION/kiru" /s >"$WORK/one.log" 2>&1 &
ONE=$!
PIDS+=("$ONE")
"${AS_SESSION[@]}" KIRU_TRACE_FIRST_FRAME=1 WAYLAND_DISPLAY="$SESSION/run/$WL_NAME" "$SESSION/kiru" /s \
  >"$WORK/other.log" 2>&1 &
OTHER=$!
PIDS+=("$OTHER")
started=$EPOCHREALTIME
session wtype -s 150 -k Escape
both_logs() { echo; sed 's/^/  by name: /' "$WORK/one.log"; sed 's/^/  by path: /' "$WORK/other.log"; }
wait_exit "$ONE" 10 && [ "$EXIT_STATUS" = 0 ] || fail "the saver named by its socket's name did not end with 0$(both_logs)"
wait_exit "$OTHER" 10 && [ "$EXIT_STATUS" = 0 ] || fail "the saver named by its socket's full path did not end with 0$(both_logs)"
ran=$(cat "$WORK/one.log" "$WORK/other.log" | grep -c 'window created') || true
[ "$ran" = 1 ] || fail "$ran savers ran, not one$(both_logs)"
grep -q 'first frame presented' "$WORK/one.log" "$WORK/other.log" && when=after || when=before
echo "  one ran, and ended $(awk -v a="$started" -v b="$EPOCHREALTIME" 'BEGIN { printf "%.2f", b - a }') s" \
  "after the start; the key came $when its first frame"

echo "no X server:"
start_saver
wait_until 20 output_centred HEADLESS-1 || fail "HEADLESS-1 not lit with a centred picture"
output_centred HEADLESS-2 || fail "HEADLESS-2 not lit with a centred picture"
keys F1
pressed=$(date +%s%N)
wait_until 2 dialog_shown || fail "F1 showed no key list"
echo "  key list seen $(( ($(date +%s%N) - pressed) / 1000000 )) ms after F1 (screenshots included)"
keys Escape
wait_until 5 dialog_gone || fail "Esc did not close the key list"
keys F11
wait_until 5 dialog_shown || fail "F11 showed no box"
keys space  # presses its focused OK
wait_until 5 dialog_gone || fail "Space did not close F11's box"
! grep -q 'g_fDepth\|no X server\|cancelled' "$WORK/kiru.log" || fail "a box was told on stderr: $(cat "$WORK/kiru.log")"
keys F1
wait_until 5 dialog_shown || fail "F1 showed no key list a second time"
session grim - >"$WORK/menu.png"
at=$(ok_button "$WORK/menu.png")
session "$SESSION/virtual_pointer" "$at@2304,768" click || fail "the virtual pointer did not click"
wait_until 5 dialog_gone || fail "a click on OK at $at did not close the key list"
still_running "$KIRU_PID" || fail "the dialogs ended the saver"
output_centred HEADLESS-1 && output_centred HEADLESS-2 || fail "the picture did not come back after the dialogs"
keys Prior Prior Prior Escape
wait_exit "$KIRU_PID" 10 || fail "Esc did not end the saver"
[ "$EXIT_STATUS" = 0 ] || fail "exit status $EXIT_STATUS after Esc"
[ "$(hive_dword "mod1 depth")" = 5300 ] || fail "mod1 depth $(hive_dword "mod1 depth") after Page Up x3, expected 5300"

echo "an error box before the first frame, and the frame-rate warning:"
start_saver LIBGL_DRIVERS_PATH=/nonexistent  # no GL driver: no context, a box over the black window
wait_until 10 dialog_shown || fail "the GL error box did not show"
keys Return
wait_until 5 dialog_gone || fail "Enter did not close the error box"
keys Escape
wait_exit "$KIRU_PID" 10 || fail "Esc did not end the saver after the error box"
[ "$EXIT_STATUS" = 0 ] || fail "exit status $EXIT_STATUS after the error box"
! grep -q "Can't Create" "$WORK/kiru.log" || fail "the error was told on stderr, not in its box"
session sed -i '/disable_frame_warn/d' "$HIVE"
start_saver KIRU_TEST_FRAME_RATE=5
wait_until 20 dialog_shown || fail "the frame-rate warning did not show"
# From the focused Continue back to "Disable this warning", tick it, and Continue.
session wtype -s 500 -M shift -k Tab -m shift -s 300 -k space -s 300 -k Tab -s 300 -k space
wait_until 5 dialog_gone || fail "Continue did not close the warning"
[ "$(hive_dword disable_frame_warn)" = 1 ] || fail "the ticked box did not disable the warning"
still_running "$KIRU_PID" || fail "Continue ended the saver"
keys Escape
wait_exit "$KIRU_PID" 10 || fail "Esc did not end the saver after the warning"

echo "a scale-2 output, an output added, and the pointer:"
session swaymsg output HEADLESS-2 scale 2 >/dev/null
start_saver
wait_until 20 output_centred HEADLESS-1 || fail "no picture for the pointer run"
output_centred HEADLESS-2 && output_sharp HEADLESS-2 || fail "the scale-2 output is not drawn at its own pixels"
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
session swaymsg output HEADLESS-2 scale 1 >/dev/null

echo "swayidle:"
"${AS_SESSION[@]}" swayidle -w timeout 1 "$SESSION/kiru /s" >"$WORK/idle.log" 2>&1 &
IDLE_PID=$!
PIDS+=("$IDLE_PID")
wait_until 15 output_centred HEADLESS-1 || fail "swayidle's timeout did not start the saver"
keys Escape
saver_gone() { ! pgrep -f "^$SESSION/kiru" >/dev/null; }
wait_until 10 saver_gone || fail "Esc did not end the saver swayidle started"
kill "$IDLE_PID"

echo "a nested sway: its middle output closed, then the compositor killed:"
printf 'xwayland disable\noutput WL-1 position 0 0\noutput WL-2 position 400 0\noutput WL-3 position 800 0\n' \
  >"$SESSION/nested.conf"
"${AS_SESSION[@]}" WLR_BACKENDS=wayland WLR_WL_OUTPUTS=3 WLR_RENDERER=pixman WLR_LIBINPUT_NO_DEVICES=1 \
  sway -c "$SESSION/nested.conf" >"$WORK/nested.log" 2>&1 &
NESTED_PID=$!
PIDS+=("$NESTED_PID")
nested_socket() { find "$SESSION/run" -name 'wayland-*' ! -name '*.lock' ! -name "$WL_NAME" -printf '%f\n' | grep .; }
wait_until 10 tree_has "wlroots - WL-3" && nested_socket >/dev/null ||
  fail "the nested sway did not start: $(cat "$WORK/nested.log")"
ON=(env WAYLAND_DISPLAY="$(nested_socket)")
# Its outputs are windows of the first sway, each of a size of its own: closing
# one changes neither the others nor the desktop's extent, so only the views can tell.
session swaymsg '[app_id="wlroots"] floating enable, resize set 400 300' >/dev/null
nested_sized() {
  local ipc
  ipc=$(find "$SESSION/run" -name "sway-ipc.*.$NESTED_PID.sock" | grep .) &&
    session swaymsg -s "$ipc" -t get_outputs -r | python3 -c '
import json, sys
sys.exit(0 if [(o["rect"]["width"], o["rect"]["height"]) for o in json.load(sys.stdin)] == [(400, 300)] * 3 else 1)' 
}
wait_until 10 nested_sized || fail "the nested sway's outputs were not made 400x300"
views_now() { grep 'views laid out' "$WORK/kiru.log" | tail -1 | grep -q "^kiru: $1 views"; }
depth=$(hive_dword "mod1 depth")
start_saver KIRU_TRACE_VIEWS=1 WAYLAND_DISPLAY="$(nested_socket)"
wait_until 20 output_centred WL-3 && views_now 3 || fail "no picture on the nested sway's three outputs"
session "${ON[@]}" wtype -s 200 -s 300 -k Prior -s 300 -k Prior
session swaymsg '[title="wlroots - WL-2"] kill' >/dev/null
# The keys came first: once the views are laid out again, they have been handled.
wait_until 5 views_now 2 || fail "the closed output's view was not dropped: $(grep views "$WORK/kiru.log" | tail -1)"
output_centred WL-1 && output_centred WL-3 || fail "the outputs left were not covered"
kill -KILL "$NESTED_PID"
wait_exit "$KIRU_PID" 10 || fail "the saver did not end when its compositor was killed"
[ "$EXIT_STATUS" = 255 ] || fail "exit status $EXIT_STATUS when the compositor was killed, not 255"
[ "$(hive_dword "mod1 depth")" = $((depth + 200)) ] ||
  fail "mod1 depth $(hive_dword "mod1 depth") after the compositor went, expected $((depth + 200))"
ON=()

echo "with Xwayland:"
session swaymsg exec "'echo \$DISPLAY >$SESSION/display'" >/dev/null
wait_until 5 test -s "$SESSION/display" || fail "sway gave no Xwayland display"
# A bright X window, as a user's terminal or browser would be, filling HEADLESS-1.
"${AS_SESSION[@]}" DISPLAY="$(cat "$SESSION/display")" display -size 1280x720 xc:'rgb(0,255,0)' >/dev/null 2>&1 &
PIDS+=("$!")
window_shown() { session grim - >"$WORK/desk.png" && [ "$(green_pixels "$WORK/desk.png")" -gt 100000 ]; }
wait_until 10 window_shown || fail "the bright X window did not show"
start_saver DISPLAY="$(cat "$SESSION/display")"
wait_until 20 output_centred HEADLESS-1 || fail "no picture with Xwayland present"
! tree_has "Screen Saver" || fail "the saver is an X window, not the native one"
keys F1
wait_until 5 dialog_shown || fail "F1 showed no key list over the saver"
! tree_has "Control Menu" || fail "the key list is an X window"
for shot in 1 2 3; do  # while it is open, never a pixel of the window
  session grim - >"$WORK/open.png"
  [ "$(green_pixels "$WORK/open.png")" = 0 ] || fail "the X window shows while the key list is open"
done
keys Escape
wait_until 5 dialog_gone || fail "Esc did not close the key list"
output_centred HEADLESS-1 || fail "the saver did not cover again"
session grim - >"$WORK/closed.png"
[ "$(green_pixels "$WORK/closed.png")" = 0 ] || fail "the X window shows after the key list closed"
keys Escape
wait_exit "$KIRU_PID" 10 || fail "a second Esc did not end the saver"
[ "$EXIT_STATUS" = 0 ] || fail "exit status $EXIT_STATUS after the key list"
echo "PASS"
