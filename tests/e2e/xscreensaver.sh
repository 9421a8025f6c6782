#!/usr/bin/env bash
# Kiru under the real XScreenSaver daemon: a ~/.xscreensaver that names the built
# program by its full path, the daemon of an unprivileged user (hacks refuse to
# run as root), -activate starts Kiru in the daemon's window and its picture shows,
# -deactivate ends it with its settings saved and nothing left running.
source "$(dirname "$0")/common.bash"

if ! command -v xscreensaver >/dev/null || ! command -v xscreensaver-command >/dev/null; then
  echo "skipped: xscreensaver is not installed"
  exit 77
fi

run_as() {
  if [ ${#as_user[@]} -gt 0 ]; then
    "${as_user[@]}" env HOME="$base/home" DISPLAY="$DISPLAY" XDG_CONFIG_HOME="$base/config" \
      XDG_CONFIG_DIRS="$base/xdg" LP_NUM_THREADS="${LP_NUM_THREADS:-}" PATH="$PATH" "$@"
  else
    env HOME="$base/home" XDG_CONFIG_HOME="$base/config" XDG_CONFIG_DIRS="$base/xdg" "$@"
  fi
}

# Processes below the daemon, by PID.
descendants() {
  local pid child
  for pid in "$@"; do
    for child in $(ps -o pid= --ppid "$pid" 2>/dev/null); do
      echo "$child"
      descendants "$child"
    done
  done
}
kiru_pids() {
  local pid
  for pid in $(descendants "$DAEMON"); do
    [ "$(readlink "/proc/$pid/exe" 2>/dev/null)" = "$base/bin/kiru" ] && echo "$pid"
  done
  return 0
}
stop_daemon() {
  [ -n "${DAEMON:-}" ] || return 0
  local all
  all=$(descendants "$DAEMON")
  run_as xscreensaver-command -exit >/dev/null 2>&1 || true
  sleep 0.5
  for pid in $DAEMON $all; do kill "$pid" 2>/dev/null || true; done
  wait "$DAEMON" 2>/dev/null || true
  DAEMON=
}
finish() {
  local status=$?
  [ "$status" = 0 ] || tail -30 "$WORK/xscreensaver.log" >&2 2>/dev/null || true
  stop_daemon
  cleanup
  release_test_user
}
trap finish EXIT

# Everything the daemon and Kiru read or write lives in one folder of the user's.
base=$WORK/xss
mkdir -p "$base/home" "$base/config/kiru" "$base/xdg" "$base/bin"

# Who runs the daemon: ourselves, or (as root) the test user.
source "$(dirname "$0")/../../tools/test-user.sh"
as_user=()
if [ "$(id -u)" = 0 ]; then
  claim_test_user || fail "cannot make user $TEST_USER"
  user=$TEST_USER
  as_user=(setpriv --reuid="$user" --regid="$user" --init-groups --reset-env)
else
  user=$(id -un)
fi

start_x 2048x768x24
command -v xhost >/dev/null && xhost "+si:localuser:$user" >/dev/null

cp "$KIRU" "$base/bin/kiru"
HIVE=$base/config/kiru/user.reg
RAW=$base/sound.raw
capture_sound "$base/home" "$RAW"  # the sound goes to a file
cat >"$base/home/.xscreensaver" <<EOF_XSS
timeout:	0:30:00
cycle:		0:00:00
lock:		False
fade:		False
unfade:		False
splash:		False
dpmsEnabled:	False
mode:		one
selected:	0
programs:	"Kiru" $base/bin/kiru --root \\n
EOF_XSS
chmod 755 "$WORK"


# One run of the daemon on the monitors given ("WxH+X+Y", the first at the origin
# and primary): -activate starts one Kiru per monitor, the picture shows on the
# first; only the process over the primary monitor sounds, so in the first 3.2
# seconds the file grows by one voice's 88200 bytes a second; -deactivate ends them
# all, the settings saved.
daemon_round() {
  echo "monitors: $*"
  [ $# -gt 1 ] && set_monitors "$@"
  # The start-up frame-rate test would stop a slow renderer with its warning.
  write_quiet_hive "$HIVE"
  sed -i 's/"enable sound"=dword:00000000/"enable sound"=dword:00000001/' "$HIVE"
  enable_only_module 7
  rm -f "$RAW"
  [ ${#as_user[@]} -gt 0 ] && chown -R "$user:" "$base"

  run_as xscreensaver -no-splash -verbose >"$WORK/xscreensaver.log" 2>&1 &
  DAEMON=$!
  PIDS+=("$DAEMON")
  for _ in $(seq 1 100); do
    run_as xscreensaver-command -version >/dev/null 2>&1 && break
    still_running "$DAEMON" || { cat "$WORK/xscreensaver.log" >&2; fail "the daemon ended"; }
    sleep 0.1
  done
  run_as xscreensaver-command -version >/dev/null 2>&1 || fail "the daemon does not answer"

  run_as xscreensaver-command -activate >/dev/null || fail "-activate refused"
  local kiru="" pid
  for _ in $(seq 1 100); do
    kiru=$(kiru_pids)
    [ "$(wc -w <<<"$kiru")" = $# ] && break
    sleep 0.1
  done
  [ "$(wc -w <<<"$kiru")" = $# ] || { cat "$WORK/xscreensaver.log" >&2; fail "not $# Kiru processes under the daemon: $kiru"; }
  for pid in $kiru; do
    [ "$(ps -o user= -p "$pid" | tr -d ' ')" = "$user" ] || fail "Kiru does not run as $user"
  done
  echo "Kiru runs as PID" $kiru "under the daemon $DAEMON"
  local t0 s0
  for _ in $(seq 1 300); do [ -s "$RAW" ] && break; sleep 0.02; done
  t0=$(date +%s.%N) s0=$(stat -c %s "$RAW" 2>/dev/null || echo 0)

  # A module appears within a few seconds on a software renderer.
  local lit=0
  for _ in $(seq 1 20); do
    sleep 0.5
    lit=$(lit_percent "$1")
    awk -v p="$lit" 'BEGIN {exit !(p > 0.5)}' && break
  done
  echo "first monitor: ${lit}% of the pixels lit"
  awk -v p="$lit" 'BEGIN {exit !(p > 0.5)}' || fail "the screen stays black"

  # Before voice 1 joins at 3.2 seconds: one voice of one process.
  while awk -v t="$t0" -v n="$(date +%s.%N)" 'BEGIN {exit !(n - t < 2.5)}'; do sleep 0.05; done
  local rate
  rate=$(awk -v t="$t0" -v n="$(date +%s.%N)" -v s0="$s0" -v s="$(stat -c %s "$RAW" 2>/dev/null || echo 0)" \
    'BEGIN {printf "%d\n", (s - s0) / (n - t)}')
  echo "sound: $rate bytes a second"
  [ "$rate" -ge 50000 ] && [ "$rate" -le 130000 ] || fail "one voice of one process plays 88200 bytes a second, not $rate"

  # Module 7 has turned its view since the start wrote -90 degrees; the end saves it.
  [ "$(hive_dword "mod7 xrot")" = -9000 ] || fail "mod7 xrot is '$(hive_dword "mod7 xrot")' at the start"
  run_as xscreensaver-command -deactivate >/dev/null || fail "-deactivate refused"
  for pid in $kiru; do
    for _ in $(seq 1 100); do
      kill -0 "$pid" 2>/dev/null || break
      sleep 0.1
    done
    kill -0 "$pid" 2>/dev/null && fail "Kiru $pid still runs after -deactivate"
  done
  [ -z "$(kiru_pids)" ] || fail "a Kiru process is left behind"
  [ "$(hive_dword "mod7 xrot")" -lt -9000 ] || fail "the view was not saved when the daemon ended Kiru"
  for value in "mod10 active" "mod10 depth" "cycle time" "enable sound"; do
    [ -n "$(hive_dword "$value")" ] || fail "the hive lacks \"$value\""
  done
  stop_daemon
}

daemon_round 2048x768+0+0
daemon_round 1024x768+0+0 1024x768+1024+0
echo "PASS"
