#!/usr/bin/env bash
# Kiru beside Debian's mate-screensaver (X11, a private session bus). `cmake
# --install` into a staging folder (DESTDIR, prefix /usr) puts the theme entry where
# the daemon lists themes and the idle watcher's entry in etc/xdg/autostart. The
# daemon runs hacks only from its own folders, so it runs in a private mount
# namespace whose /usr/libexec/xscreensaver is the staged one, as does the watcher.
# Set to the one theme "screensavers-kiru", the daemon takes Kiru's Exec line;
# --activate starts Kiru in the daemon's window (XSCREENSAVER_WINDOW) and Kiru's
# picture shows; --deactivate ends it. The watcher, started by the autostart
# entry's Exec line with Kiru switched on and a wait of one second, starts nothing
# beside the daemon and says so once.
source "$(dirname "$0")/common.bash"
for tool in mate-screensaver mate-screensaver-command dbus-daemon unshare; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done
[ "$(id -u)" = 0 ] && unshare -m true 2>/dev/null || { echo "skipped: no private mount namespace (needs root)"; exit 77; }
BUILD=${KIRU_BINARY_DIR:-$(dirname "$KIRU")}

setup_home
# The daemon's menu of themes is in /etc/xdg/menus; Kiru's machine hive stays private.
export XDG_CONFIG_DIRS=$XDG_CONFIG_DIRS:/etc/xdg
enable_only_module 1
printf '\n[HKEY_CURRENT_USER\\Control Panel\\Desktop]\n"ScreenSaveActive"="1"\n"ScreenSaveTimeOut"="1"\n' >>"$HIVE"

STAGE=$WORK/stage
t0=$(date +%s%N)
DESTDIR=$STAGE cmake --install "$BUILD" --prefix /usr >"$WORK/install.log" 2>&1 || { cat "$WORK/install.log"; fail "cmake --install failed"; }
echo "cmake --install: $((($(date +%s%N) - t0) / 1000000)) ms"
THEME=$STAGE/usr/share/applications/screensavers/kiru.desktop
AUTOSTART=$STAGE/etc/xdg/autostart/kiru-watch.desktop
[ -f "$THEME" ] || fail "no theme entry in usr/share/applications/screensavers"
[ -f "$AUTOSTART" ] || fail "no autostart entry in etc/xdg/autostart"
# Runs a command with the staged program where the installed one would be; its PID
# is the command's own (unshare and sh exec).
IN_STAGE=(unshare -m sh -c 'mount --bind "$0" /usr/libexec/xscreensaver && exec "$@"' "$STAGE/usr/libexec/xscreensaver")

start_x 1024x768x24
dbus-daemon --session --nofork --address="unix:path=$WORK/bus" >/dev/null 2>&1 &
PIDS+=("$!")
export DBUS_SESSION_BUS_ADDRESS=unix:path=$WORK/bus
wait_until 5 test -S "$WORK/bus" || fail "no session bus"

# The daemon's settings through GLib's keyfile backend; its themes from the stage.
export GSETTINGS_BACKEND=keyfile XDG_DATA_DIRS=$STAGE/usr/share:/usr/share XDG_CURRENT_DESKTOP=MATE
mkdir -p "$XDG_CONFIG_HOME/glib-2.0/settings"
cat >"$XDG_CONFIG_HOME/glib-2.0/settings/keyfile" <<'EOF'
[org/mate/screensaver]
mode='single'
themes=['screensavers-kiru']
lock-enabled=false
EOF
"${IN_STAGE[@]}" mate-screensaver --no-daemon --debug >"$WORK/mate.log" 2>&1 &
MATE=$!
PIDS+=("$MATE")
wait_until 10 eval 'mate-screensaver-command --query >/dev/null 2>&1' || fail "mate-screensaver does not answer"

echo "the watcher beside it:"
exec_line=$(sed -n 's/^Exec=//p' "$AUTOSTART")
[ "$exec_line" = "/usr/libexec/xscreensaver/kiru --watch" ] || fail "the autostart entry runs '$exec_line'"
read -ra watcher <<<"$exec_line"
"${IN_STAGE[@]}" "${watcher[@]}" >"$WORK/kiru.log" 2>&1 &
WATCH_PID=$!
PIDS+=("$WATCH_PID")
told() { grep -c 'mate-screensaver runs in this session' "$WORK/kiru.log" || true; }
wait_until 10 eval '[ "$(told)" -ge 1 ]' || fail "the watcher did not say that mate-screensaver serves the session"
sleep 3  # three waits
[ -z "$(pgrep -P "$WATCH_PID")" ] || fail "the watcher started a saver beside mate-screensaver"

echo "--activate:"
[ "$(lit_percent 1024x768+0+0)" = 0 ] || fail "the screen is lit before the daemon activates"
mate-screensaver-command --activate >/dev/null || fail "--activate refused"
hack=
wait_until 10 eval 'hack=$(pgrep -P "$MATE" -x kiru)' || { tail -20 "$WORK/mate.log" >&2; fail "the daemon started no Kiru"; }
grep -q "Setting command for job: '/usr/libexec/xscreensaver/kiru --root'" "$WORK/mate.log" ||
  fail "the daemon did not take Kiru's Exec line"
window=$(tr '\0' '\n' <"/proc/$hack/environ" | sed -n 's/^XSCREENSAVER_WINDOW=//p')
[ -n "$window" ] && xwininfo -id "$window" >/dev/null 2>&1 || fail "Kiru was given no window of the daemon's"
lit=0
for _ in $(seq 1 20); do
  lit=$(lit_percent 1024x768+0+0)
  awk -v p="$lit" 'BEGIN {exit !(p > 0.5)}' && break
  sleep 0.5
done
echo "  ${lit}% of the screen lit in the daemon's window $window"
awk -v p="$lit" 'BEGIN {exit !(p > 0.5)}' || fail "Kiru's picture does not show"
mate-screensaver-command --deactivate >/dev/null || fail "--deactivate refused"
wait_until 10 eval '! kill -0 "$hack" 2>/dev/null' || fail "Kiru outlived --deactivate"

[ -z "$(pgrep -P "$WATCH_PID")" ] || fail "the watcher started a saver beside mate-screensaver"
[ "$(told)" = 1 ] || fail "the watcher said $(told) times that mate-screensaver serves the session"
echo "PASS"
