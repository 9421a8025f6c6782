#!/usr/bin/env bash
# kiru --watch on GNOME: headless mutter (Wayland, no Xwayland) on its own session
# bus, as the test user. GNOME offers Wayland clients no idle protocol, so the
# watcher takes mutter's idle monitor on the bus; an idle inhibitor that the session
# manager holds (a stand-in for gnome-session) keeps the saver away, and once it
# goes the saver starts as the watcher's child after the wait (3 s); the watcher
# answers org.freedesktop.ScreenSaver's GetActive and GetSessionIdleTime; SIGTERM
# ends both.
source "$(dirname "$0")/common.bash"
for tool in mutter dbus-daemon dbus-send gdbus; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done
INHIBIT=${KIRU_BINARY_DIR:-$(dirname "$KIRU")}/inhibit_client
[ -x "$INHIBIT" ] || { echo "skipped: $INHIBIT is not built"; exit 77; }

source "$(dirname "$0")/../../tools/wayland-session.sh"
SESSION=$WORK/gnome
mkdir -p "$SESSION/config/kiru"
chmod 711 "$WORK"
cp "$KIRU" "$INHIBIT" "$SESSION/"
HIVE=$SESSION/config/kiru/user.reg
WAIT=3
write_quiet_hive "$HIVE"
printf '\n[HKEY_CURRENT_USER\\Control Panel\\Desktop]\n"ScreenSaveActive"="1"\n"ScreenSaveTimeOut"="%s"\n' "$WAIT" >>"$HIVE"
trap 'cleanup; stop_session; release_test_user' EXIT
start_mutter "$SESSION" --virtual-monitor 1280x720 || fail "mutter did not start"
PIDS+=("${SESSION_PIDS[@]}")

mkfifo "$SESSION/manager.in"
chmod 666 "$SESSION/manager.in"
"${AS_SESSION[@]}" "$SESSION/inhibit_client" --session-manager <"$SESSION/manager.in" >"$WORK/manager.out" 2>&1 &
PIDS+=("$!")
exec 7>"$SESSION/manager.in"
wait_until 10 grep -q ready "$WORK/manager.out" || fail "the session manager's stand-in did not start"

"${AS_SESSION[@]}" "$SESSION/kiru" --watch >"$WORK/kiru.log" 2>&1 &
WATCH_PID=$!
PIDS+=("$WATCH_PID")
saver_pid() { pgrep -P "$WATCH_PID" -f -- ' /s$'; }
wait_until 10 grep -q 'watching for idle' "$WORK/kiru.log" || fail "the watcher named no idle source"
grep -q "watching for idle through org.gnome.Mutter.IdleMonitor" "$WORK/kiru.log" || fail "not through the idle monitor"

echo "the session manager's inhibitor:"
sleep $((WAIT + 2))  # past the wait: nothing may come
! saver_pid >/dev/null || fail "the saver came while the session manager held an idle inhibitor"
echo uninhibit >&7
wait_until 10 grep -q uninhibited "$WORK/manager.out" || fail "the stand-in did not let go"
t0=$(date +%s%N)
wait_until 20 saver_pid >/dev/null || fail "the inhibitor's end brought no saver"
ms=$((($(date +%s%N) - t0) / 1000000))
SAVER=$(saver_pid)
[ "$ms" -ge $((WAIT * 1000 - 300)) ] || fail "the saver came $ms ms after the inhibitor went, before the wait"
echo "  the saver $ms ms after the inhibitor went (wait $WAIT s)"

echo "org.freedesktop.ScreenSaver:"
active=$(session dbus-send --session --print-reply --dest=org.freedesktop.ScreenSaver /org/freedesktop/ScreenSaver \
  org.freedesktop.ScreenSaver.GetActive | tail -1)
[ "$active" = "   boolean true" ] || fail "GetActive answered '$active'"
# Answered from inside the watcher's handling of the call, by asking mutter in turn.
idle=$(session dbus-send --session --print-reply --dest=org.freedesktop.ScreenSaver /ScreenSaver \
  org.freedesktop.ScreenSaver.GetSessionIdleTime | tail -1)
[[ "$idle" =~ ^\ +uint32\ [0-9]+$ ]] || fail "GetSessionIdleTime answered '$idle'"
still_running "$SAVER" || fail "the saver did not last on mutter"

echo "SIGTERM:"
kill -TERM "$WATCH_PID"
wait_exit "$WATCH_PID" 15 || fail "SIGTERM did not end the watcher"
[ "$EXIT_STATUS" = 0 ] || fail "SIGTERM ended the watcher with $EXIT_STATUS"
wait_until 10 eval '! kill -0 "$SAVER" 2>/dev/null' || fail "the saver outlived its watcher"
echo "PASS"
