#!/usr/bin/env bash
# Kiru's windows on a desktop with a window manager and a panel (openbox, tint2):
# --window stacks like any window (no raising itself over the one the user
# activated); the window manager's close of a --root window run without the
# daemon is a close request (settings saved, status 0); Kiru's windows name their
# process and carry its icon; a minimised settings dialog stops drawing its
# preview and draws again when restored.
source "$(dirname "$0")/common.bash"
for tool in xdotool xwininfo xprop xev import compare; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done
start_x
setup_home
start_openbox
unset XSCREENSAVER_WINDOW

# _NET_WM_PID of window $1 is Kiru's, and it has a 64 x 64 icon.
has_identity() {
  grep -q "= $KIRU_PID\$" <<<"$(xprop -id "$1" _NET_WM_PID)" &&
    grep -q '= 64, 64, ' <<<"$(xprop -id "$1" -notype -f _NET_WM_ICON 32c _NET_WM_ICON)"
}

# CPU time of process $1 over $2 seconds, in clock ticks.
cpu_ticks() {
  local before after
  before=$(awk '{print $14 + $15}' "/proc/$1/stat")
  sleep "$2"
  after=$(awk '{print $14 + $15}' "/proc/$1/stat")
  echo $((after - before))
}

# --window, then another window activated over it.
start_kiru --window
kiru=$(window_id Kiru) || fail "no --window window"
# Mapped before the other window is activated, or the window manager would raise
# it as any newly shown window.
for i in $(seq 100); do
  grep -q 'IsViewable' <<<"$(xwininfo -id "$kiru" 2>/dev/null)" && break
  sleep 0.1
done
has_identity "$kiru" || fail "the --window window lacks _NET_WM_PID or the icon"
xev -name other -geometry 300x200+100+100 >/dev/null 2>&1 &
PIDS+=("$!")
other=$(window_id other) || fail "no other window"
xdotool windowactivate --sync "$other"
sleep 1.5  # some forty frames
stacked_above "$other" "$kiru" || fail "--window raised itself above the window the user activated"
kill -TERM "$KIRU_PID"
wait_exit "$KIRU_PID" 10 || fail "SIGTERM did not end --window"

# --root without the daemon: a top-level window the window manager may close.
# Module 7 turns its own view, which only the close request saves.
enable_only_module 7
KIRU_TRACE_FIRST_FRAME=1 start_kiru --root
kiru=$(window_id Kiru) || fail "no --root window"
wait_for_first_frame  # module 7 has turned
[ "$(hive_dword "mod7 xrot")" = -9000 ] || fail "mod7 xrot is '$(hive_dword "mod7 xrot")' at the start"
# Managed by the window manager (which sets WM_STATE) before its close is asked for.
wait_until 10 eval 'xprop -id "$kiru" WM_STATE 2>/dev/null | grep -q "state: Normal"' ||
  fail "the window manager did not take the --root window"
xdotool windowactivate --sync "$kiru"
xdotool key alt+F4  # openbox's Close
wait_exit "$KIRU_PID" 10 || fail "the window manager's close did not end --root"
[ "$EXIT_STATUS" = 0 ] || fail "closing --root through the window manager ended it with status $EXIT_STATUS"
[ "$(hive_dword "mod7 xrot")" -lt -9000 ] || fail "closing --root through the window manager saved no settings"

# The settings dialog: identity, then minimised and restored.
KIRU_TRACE_FIRST_FRAME=1 start_kiru /c
dialog=$(window_id "Kiru Settings.*") || fail "no settings dialog"  # the title soon shows the rate
wait_for_first_frame
has_identity "$dialog" || fail "the settings dialog lacks _NET_WM_PID or the icon"
xprop -id "$dialog" WM_CLASS | grep -q '= "kiru", "Kiru"$' || fail "dialog class: $(xprop -id "$dialog" WM_CLASS)"
shown=$(cpu_ticks "$KIRU_PID" 2)
xdotool windowminimize --sync "$dialog"
sleep 0.5
minimised=$(cpu_ticks "$KIRU_PID" 2)
echo "CPU ticks in 2 s: shown $shown, minimised $minimised"
[ "$minimised" -lt $((shown / 4)) ] || fail "a minimised dialog still draws (CPU ticks in 2 s: shown $shown, minimised $minimised)"
xdotool windowactivate --sync "$dialog"
preview_moves() { read_geometry "$dialog" && picture_moves "200x150+$((GX + 100))+$((GY + 100))"; }
wait_until 10 preview_moves || fail "the restored dialog's preview does not move (${GW}x$GH+$GX+$GY)"
xdotool key Escape
wait_exit "$KIRU_PID" 10 || fail "Esc did not close the settings dialog"
echo "PASS"
