#!/usr/bin/env bash
# The idle watcher (kiru --watch) under a headless sway with two outputs, a wait of
# two seconds: it names the compositor's idle protocol; idle brings the saver, its
# child, on both outputs; pointer motion ends it and the watcher goes on; idle
# again brings it again; a window holding a Wayland idle inhibitor (as a video
# player does) keeps it away well past the wait, costing the watcher next to no
# CPU, and the inhibitor's end brings it one wait later; SIGTERM ends the watcher
# and its saver with 0. sway refuses root: as root, it runs as the test user.
source "$(dirname "$0")/common.bash"
for tool in sway swaymsg grim convert; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done
HELPERS=${KIRU_BINARY_DIR:-$(dirname "$KIRU")}
for helper in virtual_pointer idle_inhibitor; do
  [ -x "$HELPERS/$helper" ] || { echo "skipped: $HELPERS/$helper is not built"; exit 77; }
done

source "$(dirname "$0")/../../tools/wayland-session.sh"
SESSION=$WORK/watch
mkdir -p "$SESSION/config/kiru"
cp "$KIRU" "$HELPERS/virtual_pointer" "$HELPERS/idle_inhibitor" "$SESSION/"
chmod 711 "$WORK"
HIVE=$SESSION/config/kiru/user.reg
WAIT=2
write_quiet_hive "$HIVE"
enable_only_module 1
printf '\n[HKEY_CURRENT_USER\\Control Panel\\Desktop]\n"ScreenSaveActive"="1"\n"ScreenSaveTimeOut"="%s"\n' "$WAIT" >>"$HIVE"
cat >"$SESSION/sway.conf" <<'EOF'
output HEADLESS-1 mode 800x600 position 0 0
output HEADLESS-2 mode 640x480 position 800 0
default_border none
EOF
trap 'cleanup; release_test_user' EXIT
start_sway "$SESSION" "$SESSION/sway.conf" || fail "sway did not start"
PIDS+=("$SWAY_PID")

# Output $1 shows the saver: black but for 1 to 60 % of lit pixels (sway's own
# background is grey, all lit).
saver_on() {
  session grim -o "$1" - >"$WORK/$1.png" 2>/dev/null || return 1
  local lit
  lit=$(convert "$WORK/$1.png" -scale 25% -colorspace gray -threshold 2% -format '%[fx:int(mean*1000)]' info:)
  [ "$lit" -ge 10 ] && [ "$lit" -le 600 ]
}
on_both() { saver_on HEADLESS-1 && saver_on HEADLESS-2; }
# The watcher's saver: its child's PID, or nothing.
saver_pid() { pgrep -P "$WATCH_PID" || true; }
# A process that has ended (a zombie its parent has not reaped yet counts).
ended() { [ ! -e "/proc/$1" ] || grep -q '^State:.*Z' "/proc/$1/status" 2>/dev/null; }
pointer() { session "$SESSION/virtual_pointer" "$@" || fail "the virtual pointer did not move"; }
cpu_ms() { awk -v hz="$(getconf CLK_TCK)" '{printf "%d\n", ($14 + $15) * 1000 / hz}' "/proc/$1/stat"; }
now_ms() { echo $(($(date +%s%N) / 1000000)); }

"${AS_SESSION[@]}" "$SESSION/kiru" --watch >"$WORK/kiru.log" 2>&1 &
WATCH_PID=$!
PIDS+=("$WATCH_PID")
wait_until 10 grep -q 'watching for idle' "$WORK/kiru.log" || fail "the watcher named no idle source"
grep -qE 'watching for idle through (ext_idle_notifier_v1|org_kde_kwin_idle)$' "$WORK/kiru.log" ||
  fail "not the compositor's idle protocol: $(grep 'watching' "$WORK/kiru.log")"

echo "idle:"
wait_until 30 on_both || fail "no saver on both outputs after the wait"
first=$(saver_pid)
[ -n "$first" ] || fail "the saver is not the watcher's child"
# Seen once over the saver, then 150 pixels.
pointer 1,0
pointer 50,0 50,0 50,0
wait_until 10 ended "$first" || fail "pointer motion did not end the saver"
still_running "$WATCH_PID" || fail "the watcher ended with its saver"

echo "idle again:"
wait_until 30 on_both || fail "no saver after the second idle"
second=$(saver_pid)
[ -n "$second" ] && [ "$second" != "$first" ] || fail "not a new saver the second time ('$first', '$second')"
pointer 1,0
pointer 50,0 50,0 50,0
wait_until 10 ended "$second" || fail "pointer motion did not end the second saver"

echo "an idle inhibitor:"
"${AS_SESSION[@]}" "$SESSION/idle_inhibitor" >"$WORK/inhibitor.log" 2>&1 &
INHIBITOR=$!
PIDS+=("$INHIBITOR")
wait_until 10 grep -q inhibiting "$WORK/inhibitor.log" || fail "the inhibitor did not show: $(cat "$WORK/inhibitor.log")"
cpu0=$(cpu_ms "$WATCH_PID") t0=$(now_ms)
sleep $((3 * WAIT))  # three waits with nothing to see
[ -z "$(saver_pid)" ] || fail "the saver came while an idle inhibitor was held"
cpu=$(($(cpu_ms "$WATCH_PID") - cpu0)) span=$(($(now_ms) - t0))
echo "  watcher CPU: $cpu ms over $span ms"
[ $((cpu * 20)) -le "$span" ] || fail "the watcher used more than 5 % of a core while the session was inhibited"
kill "$INHIBITOR"
wait_until 5 grep -q released "$WORK/inhibitor.log" || fail "the inhibitor did not let go"
released=$(awk '/^released/ {print $2}' "$WORK/inhibitor.log")
wait_until 30 eval '[ -n "$(saver_pid)" ]' || fail "no saver after the inhibitor let go"
after=$(($(now_ms) - released))
echo "  the saver started $after ms after the inhibitor let go"
[ "$after" -ge $((WAIT * 1000 - 300)) ] || fail "the saver came before a whole wait had passed since the inhibitor let go"
wait_until 30 on_both || fail "the saver after the inhibitor is not on both outputs"

echo "SIGTERM:"
third=$(saver_pid)
kill "$WATCH_PID"
wait_exit "$WATCH_PID" 15 || fail "SIGTERM did not end the watcher"
[ "$EXIT_STATUS" = 0 ] || fail "the watcher ended with $EXIT_STATUS on SIGTERM"
ended "$third" || fail "the saver outlived its watcher"
echo "PASS"
