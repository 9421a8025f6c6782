#!/usr/bin/env bash
# kiru --watch on X11 with a private session bus, a wait of 2 s: idle brings the
# saver (as the watcher's child), motion ends it and the watcher goes on, idle brings
# it again; a saver that crashes is not restarted before input; a client holding
# org.freedesktop.ScreenSaver.Inhibit keeps it away until it lets go or leaves the
# bus; "ScreenSaveActive" "0" starts nothing; a new wait is followed without a
# restart; XScreenSaver's daemon is left the screen; one watcher per session;
# SIGTERM ends the watcher and its saver, which saves; without a bus the watcher
# goes on with a lock per display; with nothing to watch it ends with 1.
source "$(dirname "$0")/common.bash"
for tool in dbus-daemon dbus-send xscreensaver; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done
INHIBIT=${KIRU_BINARY_DIR:-$(dirname "$KIRU")}/inhibit_client
[ -x "$INHIBIT" ] || { echo "skipped: $INHIBIT is not built"; exit 77; }
start_x
setup_home
export XDG_RUNTIME_DIR="$WORK/run"
mkdir -m 700 "$XDG_RUNTIME_DIR"
WAIT=2

dbus-daemon --session --address="unix:path=$WORK/bus" --nofork --nopidfile >/dev/null 2>&1 &
PIDS+=("$!")
export DBUS_SESSION_BUS_ADDRESS="unix:path=$WORK/bus"
bus_call() {  # DEST PATH METHOD [ARGS...]: the reply's last line
  dbus-send --session --print-reply --dest="$1" "$2" "$3" "${@:4}" 2>/dev/null | tail -1
}
bus_up() { [ -n "$(bus_call org.freedesktop.DBus / org.freedesktop.DBus.GetId)" ]; }
wait_until 10 bus_up || fail "the private session bus did not come up"

# The store as the settings dialog leaves it: module 7 alone (it turns its own view,
# so a saver always has a view to save), and the screen saver's page. Replaced whole,
# as the store itself replaces it.
write_page() {  # ScreenSaveActive ScreenSaveTimeOut
  write_quiet_hive "$WORK/next.reg"
  HIVE="$WORK/next.reg" enable_only_module 7
  printf '\n[HKEY_CURRENT_USER\\Control Panel\\Desktop]\n"ScreenSaveActive"="%s"\n"ScreenSaveTimeOut"="%s"\n' \
    "$1" "$2" >>"$WORK/next.reg"
  mv "$WORK/next.reg" "$HIVE"
}

saver_child() { pgrep -P "$WATCHER" -f -- ' /s$' || true; }
no_saver_child() { [ -z "$(saver_child)" ]; }
watcher_says() { grep -qF -- "$1" "$WORK/kiru.log"; }
now_ms() { echo $(($(date +%s%N) / 1000000)); }
# True when no saver window shows for $1 seconds.
stays_away() {
  local i
  for i in $(seq 1 $(($1 * 10))); do
    window_shown "Screen Saver" && return 1
    sleep 0.1
  done
  return 0
}
# Motion of more than 100 pixels ends the saver; the watcher lives on.
end_saver_by_motion() {
  xdotool mousemove 10 10
  sleep 0.3
  xdotool mousemove 500 400
  wait_for_gone "Screen Saver" 10 || fail "$1: motion did not end the saver"
  wait_until 10 no_saver_child || fail "$1: the saver process outlived its window"
  still_running "$WATCHER" || fail "$1: the watcher ended with its saver"
}
start_watcher() {
  "$KIRU" --watch >"$WORK/kiru.log" 2>&1 &
  WATCHER=$!
  KIRU_PID=$WATCHER  # what fail() reports on
  PIDS+=("$WATCHER")
}

# --- idle, then the saver; motion; idle again
write_page 1 "$WAIT"
t0=$(now_ms)
start_watcher
wait_until 10 watcher_says "watching for idle through MIT-SCREEN-SAVER (X11)" || fail "the watcher named no source"
[ "$(grep -c 'watching for idle' "$WORK/kiru.log")" = 1 ] || fail "the source was named more than once"
wait_for_window "Screen Saver" 20 || fail "idle for the wait brought no saver"
t1=$(now_ms)
[ $((t1 - t0)) -ge $((WAIT * 1000 - 100)) ] || fail "the saver came after $((t1 - t0)) ms, before the wait"
[ -n "$(saver_child)" ] || fail "the saver is not the watcher's child"
[ "$(bus_call org.freedesktop.ScreenSaver /org/freedesktop/ScreenSaver org.freedesktop.ScreenSaver.GetActive)" = \
  "   boolean true" ] || fail "GetActive does not say the saver is on"
echo "first saver $((t1 - t0)) ms after the watcher began (wait $WAIT s)"

set +e
timeout 10 "$KIRU" --watch >"$WORK/second.log" 2>&1
status=$?
set -e
[ "$status" = 0 ] && grep -q "a watcher already runs in this session" "$WORK/second.log" ||
  fail "a second watcher ended with $status: $(cat "$WORK/second.log")"
[ "$(wc -l <"$WORK/second.log")" = 1 ] || fail "the second watcher said more than one line"

end_saver_by_motion "first saver"
t0=$(now_ms)
wait_for_window "Screen Saver" 20 || fail "a second idle period brought no saver"
echo "second saver $(($(now_ms) - t0)) ms after the motion"

# --- a crash is not restarted until the user has come and gone
child=$(saver_child)
kill -SEGV "$child"
# 139 (128 + SIGSEGV); a sanitizer build's own handler ends it with 1
wait_until 10 watcher_says "the screen saver ended with status " || fail "the crash was not told"
wait_for_gone "Screen Saver" 10 || fail "the crashed saver's window stayed"
stays_away $((WAIT + 1)) || fail "the crashed saver was started again without input"
no_saver_child || fail "a saver process runs again without input"
xdotool mousemove 20 20
sleep 0.3
xdotool mousemove 300 300
wait_for_window "Screen Saver" 20 || fail "input and the wait after a crash brought no saver"
end_saver_by_motion "after the crash"

# --- a held inhibitor keeps it away; UnInhibit lets it come
mkfifo "$WORK/inhibit.in"
"$INHIBIT" <"$WORK/inhibit.in" >"$WORK/inhibit.out" 2>&1 &
INHIBITOR=$!
PIDS+=("$INHIBITOR")
exec 7>"$WORK/inhibit.in"
cookie_given() { [ -s "$WORK/inhibit.out" ]; }
wait_until 10 cookie_given || fail "Inhibit gave no cookie"
stays_away $((WAIT + 1)) || fail "the saver came while an inhibitor was held"
echo uninhibit >&7
wait_until 10 grep -q uninhibited "$WORK/inhibit.out" || fail "UnInhibit was not answered"
t0=$(now_ms)
wait_for_window "Screen Saver" 20 || fail "UnInhibit did not let the saver come"
t1=$(now_ms)
[ $((t1 - t0)) -ge $((WAIT * 1000 - 300)) ] || fail "the saver came $((t1 - t0)) ms after UnInhibit, before a wait"
end_saver_by_motion "after UnInhibit"

# ... and a client that leaves the bus takes its inhibit with it.
echo inhibit >&7
second_cookie() { [ "$(wc -l <"$WORK/inhibit.out")" -ge 3 ]; }  # cookie, "uninhibited", cookie
wait_until 10 second_cookie || fail "the second Inhibit gave no cookie"
stays_away $((WAIT + 1)) || fail "the saver came while the second inhibitor was held"
exec 7>&-
wait_exit "$INHIBITOR" 10 || fail "the inhibiting client did not leave"
wait_for_window "Screen Saver" 20 || fail "the client's leaving did not let the saver come"
end_saver_by_motion "after the client left"

# --- switched off: nothing; switched on with a long wait, then a short one: followed
write_page 0 "$WAIT"
stays_away $((WAIT + 1)) || fail "ScreenSaveActive 0 started the saver"
write_page 1 60
stays_away 3 || fail "the saver came before a 60-second wait"
write_page 1 1
wait_for_window "Screen Saver" 10 || fail "the shorter wait was not followed"
end_saver_by_motion "after the new wait"

# --- XScreenSaver's daemon has the screen while it runs (switched on once it is up,
# so that the watcher's next look finds it whatever its start took)
write_page 0 "$WAIT"
xscreensaver -no-splash >"$WORK/xscreensaver.log" 2>&1 &
XSS=$!
PIDS+=("$XSS")
xss_up() {
  local w
  for w in $(xwininfo -root -children | awk '$1 ~ /^0x/ {print $1}'); do
    xprop -id "$w" _SCREENSAVER_VERSION 2>/dev/null | grep -q '"' && return 0
  done
  return 1
}
wait_until 15 xss_up || fail "XScreenSaver did not come up"
write_page 1 "$WAIT"
stays_away $((WAIT + 1)) || fail "the saver came while XScreenSaver runs"
watcher_says "XScreenSaver runs in this session" || fail "XScreenSaver was not noticed: $(cat "$WORK/kiru.log")"
kill "$XSS"
wait_exit "$XSS" 10 || fail "XScreenSaver did not end"
wait_for_window "Screen Saver" 20 || fail "the saver did not come once XScreenSaver had gone"
watcher_says "XScreenSaver has ended" || fail "the daemon's end was not told"
[ "$(grep -c 'XScreenSaver runs' "$WORK/kiru.log")" = 1 ] || fail "XScreenSaver was told of more than once"

# --- SIGTERM: the watcher ends, its saver with it, the saver's view saved
start_view() { [ "$(hive_dword "mod7 xrot")" = -9000 ]; }
wait_until 5 start_view || fail "mod7 xrot is '$(hive_dword "mod7 xrot")' at the start"
sleep 1  # module 7 turns its view
child=$(saver_child)
kill -TERM "$WATCHER"
wait_exit "$WATCHER" 15 || fail "SIGTERM did not end the watcher"
[ "$EXIT_STATUS" = 0 ] || fail "the watcher ended with $EXIT_STATUS after SIGTERM"
! kill -0 "$child" 2>/dev/null || fail "the saver outlived its watcher"
wait_for_gone "Screen Saver" 5 || fail "the saver's window outlived its watcher"
[ "$(hive_dword "mod7 xrot")" -lt -9000 ] || fail "the saver's view was not saved on SIGTERM"

# --- no session bus: a clear line, then the watcher goes on with a lock per display
xdotool mousemove 30 30
(unset DBUS_SESSION_BUS_ADDRESS; exec "$KIRU" --watch) >"$WORK/kiru.log" 2>&1 &
WATCHER=$!
KIRU_PID=$WATCHER
PIDS+=("$WATCHER")
wait_until 10 watcher_says "no session bus" || fail "the missing bus was not told"
wait_for_window "Screen Saver" 20 || fail "without a bus, idle brought no saver"
set +e
(unset DBUS_SESSION_BUS_ADDRESS; timeout 10 "$KIRU" --watch) >"$WORK/second.log" 2>&1
status=$?
set -e
[ "$status" = 0 ] && grep -q "a watcher already runs" "$WORK/second.log" ||
  fail "without a bus, a second watcher of the display ended with $status: $(cat "$WORK/second.log")"
[ "$(wc -l <"$WORK/second.log")" = 1 ] || fail "without a bus, the second watcher said more than one line"
kill -TERM "$WATCHER"
wait_exit "$WATCHER" 15 || fail "SIGTERM did not end the watcher without a bus"

# --- nothing that tells when the session is idle: which desktops it can watch, and 1
set +e
(unset DISPLAY WAYLAND_DISPLAY DBUS_SESSION_BUS_ADDRESS; timeout 10 "$KIRU" --watch) >"$WORK/none.log" 2>&1
status=$?
set -e
[ "$status" = 1 ] || fail "with nothing to watch the watcher ended with $status"
grep -q "ext-idle-notify-v1.*Mutter.IdleMonitor.*MIT-SCREEN-SAVER" "$WORK/none.log" ||
  fail "the watcher did not say what it can watch: $(cat "$WORK/none.log")"
echo "PASS"
