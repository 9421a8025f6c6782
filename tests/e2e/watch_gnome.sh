#!/usr/bin/env bash
# kiru --watch on GNOME: headless mutter (Wayland, no Xwayland) inside its own
# session bus, as the test user. GNOME offers Wayland clients no idle protocol, so
# the watcher takes mutter's idle monitor on the bus; an idle inhibitor that the
# session manager holds (a stand-in for gnome-session) keeps the saver away, and
# once it goes the saver starts as the watcher's child after the wait (3 s);
# SIGTERM ends both.
source "$(dirname "$0")/common.bash"
for tool in mutter dbus-run-session dbus-send setpriv; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done
INHIBIT=${KIRU_BINARY_DIR:-$(dirname "$KIRU")}/inhibit_client
[ -x "$INHIBIT" ] || { echo "skipped: $INHIBIT is not built"; exit 77; }
SESSION=$WORK/gnome
mkdir -p "$SESSION/run" "$SESSION/home" "$SESSION/config/kiru"
chmod 700 "$SESSION/run"
chmod 711 "$WORK"
cp "$KIRU" "$INHIBIT" "$SESSION/"
HIVE=$SESSION/config/kiru/user.reg
write_quiet_hive "$HIVE"
printf '\n[HKEY_CURRENT_USER\\Control Panel\\Desktop]\n"ScreenSaveActive"="1"\n"ScreenSaveTimeOut"="3"\n' >>"$HIVE"

# mutter refuses root: as root, the session is the test user's (made here if missing).
AS=()
USER_MADE=
if [ "$(id -u)" = 0 ]; then
  if ! id kirutest >/dev/null 2>&1; then
    useradd -M -d "$SESSION/home" -s /bin/sh kirutest || fail "no test user"
    USER_MADE=kirutest
  fi
  AS=(setpriv --reuid=kirutest --regid=kirutest --clear-groups)
  chown -R kirutest "$SESSION"
fi
trap 'cleanup; [ -z "$USER_MADE" ] || userdel "$USER_MADE" 2>/dev/null || true' EXIT

# Everything that needs the session's bus runs inside it; it says "ok" or why not.
cat >"$SESSION/session.sh" <<'EOF'
cd "$(dirname "$0")"
mutter --headless --wayland --no-x11 --virtual-monitor 1280x720 >mutter.log 2>&1 &
MUTTER=$!
mkfifo manager.in
./inhibit_client --session-manager <manager.in >manager.out 2>&1 &
MANAGER=$!
exec 7>manager.in
trap 'kill $MUTTER $MANAGER 2>/dev/null; kill $WATCHER 2>/dev/null' EXIT
for i in $(seq 150); do [ -S "$XDG_RUNTIME_DIR/wayland-0" ] && grep -q ready manager.out && break; sleep 0.1; done
[ -S "$XDG_RUNTIME_DIR/wayland-0" ] || { echo "mutter did not start"; exit 1; }
grep -q ready manager.out || { echo "the session manager's stand-in did not start"; exit 1; }
WAYLAND_DISPLAY=wayland-0 ./kiru --watch >watch.log 2>&1 &
WATCHER=$!
child() { pgrep -P "$WATCHER" -f -- ' /s$'; }
sleep 5
! child >/dev/null || { echo "the saver came while the session manager held an idle inhibitor"; exit 1; }
echo uninhibit >&7
for i in $(seq 50); do grep -q uninhibited manager.out && break; sleep 0.1; done
t0=$(date +%s%N)
for i in $(seq 200); do child >/dev/null && break; sleep 0.1; done
ms=$((($(date +%s%N) - t0) / 1000000))
saver=$(child) || { echo "the inhibitor's end brought no saver"; exit 1; }
grep -q "watching for idle through org.gnome.Mutter.IdleMonitor" watch.log || { echo "not through the idle monitor"; exit 1; }
[ "$ms" -ge 2700 ] || { echo "the saver came $ms ms after the inhibitor went, before the wait"; exit 1; }
active=$(dbus-send --session --print-reply --dest=org.freedesktop.ScreenSaver /org/freedesktop/ScreenSaver \
  org.freedesktop.ScreenSaver.GetActive | tail -1)
[ "$active" = "   boolean true" ] || { echo "GetActive answered '$active'"; exit 1; }
# Answered from inside the watcher's handling of the call, by asking mutter in turn.
idle=$(dbus-send --session --print-reply --dest=org.freedesktop.ScreenSaver /ScreenSaver \
  org.freedesktop.ScreenSaver.GetSessionIdleTime | tail -1)
[[ "$idle" =~ ^\ +uint32\ [0-9]+$ ]] || { echo "GetSessionIdleTime answered '$idle'"; exit 1; }
sleep 2
kill -0 "$saver" 2>/dev/null || { echo "the saver did not last on mutter"; exit 1; }
kill -TERM "$WATCHER"
for i in $(seq 150); do kill -0 "$WATCHER" 2>/dev/null || break; sleep 0.1; done
wait "$WATCHER"
status=$?
[ "$status" = 0 ] || { echo "SIGTERM ended the watcher with $status"; exit 1; }
! kill -0 "$saver" 2>/dev/null || { echo "the saver outlived its watcher"; exit 1; }
echo "ok: the saver $ms ms after the session manager's inhibitor went (wait 3 s)"
EOF
set +e
timeout 120 "${AS[@]}" env -i PATH=/usr/bin:/bin HOME="$SESSION/home" XDG_RUNTIME_DIR="$SESSION/run" \
  XDG_CONFIG_HOME="$SESSION/config" ${LSAN_OPTIONS:+LSAN_OPTIONS=$LSAN_OPTIONS} \
  dbus-run-session -- bash "$SESSION/session.sh" >"$WORK/result.log" 2>&1
set -e
cp "$SESSION/watch.log" "$WORK/kiru.log" 2>/dev/null || true
grep -q "^ok:" "$WORK/result.log" || fail "$(cat "$WORK/result.log"; tail -5 "$SESSION/mutter.log" 2>/dev/null)"
grep "^ok:" "$WORK/result.log"
echo "PASS"
