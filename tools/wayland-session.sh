# Sourced by scripts that run Wayland clients under a headless compositor, each in a
# session of its own. Compositors refuse root: as root, the compositor and its clients
# run as the test user (tools/test-user.sh; call release_test_user at the end).
#   start_sway FOLDER CONFIG    sway (pixman renderer, two headless outputs, no input
#                               devices) with CONFIG; sets SWAY_PID and SWAYSOCK
#   start_kwin FOLDER ARG...    kwin_wayland --virtual ARG... (a copy without Debian's
#                               file capability), its fake input and D-Bus screenshots
#                               open to every client
#   start_mutter FOLDER ARG...  mutter --headless --wayland --no-x11 ARG...
#   start_pipewire              PipeWire and WirePlumber in the session (for mutter's
#                               screen casts)
# A start_* makes FOLDER/run (the runtime folder), FOLDER/home and FOLDER/config (the
# settings), gives FOLDER to the user (its parent must let the user through), starts
# a private session bus for KWin and mutter, and returns once the compositor takes
# clients: WL_NAME is then its socket, COMPOSITOR_PID its PID, and SESSION_PIDS lists
# what it started, oldest first (a script adds them to its PIDS before its clients).
#   session [VAR=value...] COMMAND...  runs a command as that user, in that session;
#                               "${AS_SESSION[@]}" COMMAND... & does so in the background
#                               with $! the command's own PID (setpriv and env exec)
#   stop_session                ends SESSION_PIDS, newest first
source "$(dirname "${BASH_SOURCE[0]}")/test-user.sh"
SESSION_AS=()
SESSION_FOLDER=
SESSION_BUS=
SESSION_PIDS=()
COMPOSITOR_PID=
SWAY_PID=
WL_NAME=
SWAYSOCK=
AS_SESSION=()

session_command() {
  AS_SESSION=("${SESSION_AS[@]}" env -i PATH=/usr/bin:/bin HOME="$SESSION_FOLDER/home"
    XDG_RUNTIME_DIR="$SESSION_FOLDER/run" XDG_CONFIG_HOME="$SESSION_FOLDER/config"
    ${WL_NAME:+WAYLAND_DISPLAY=$WL_NAME} ${SWAYSOCK:+SWAYSOCK=$SWAYSOCK}
    ${SESSION_BUS:+DBUS_SESSION_BUS_ADDRESS=$SESSION_BUS}
    ${LSAN_OPTIONS:+LSAN_OPTIONS=$LSAN_OPTIONS} ${TSAN_OPTIONS:+TSAN_OPTIONS=$TSAN_OPTIONS})
}

session() { "${AS_SESSION[@]}" "$@"; }

# FOLDER: the session's folders, owned by the user that runs it.
session_folders() {
  SESSION_FOLDER=$1 WL_NAME='' SWAYSOCK='' SESSION_BUS='' SESSION_AS=()
  mkdir -p "$SESSION_FOLDER/run" "$SESSION_FOLDER/home" "$SESSION_FOLDER/config"
  chmod 700 "$SESSION_FOLDER/run"
  if [ "$(id -u)" = 0 ]; then
    claim_test_user || return 1
    SESSION_AS=(setpriv --reuid="$TEST_USER" --regid="$TEST_USER" --clear-groups)
    chown -R "$TEST_USER" "$SESSION_FOLDER"
  fi
  session_command
}

# PID COMMAND...: every 50 ms until COMMAND succeeds (true) or PID has ended or
# 10 s have passed (false, printing the session's logs, FOLDER/*.log).
session_wait() {
  local pid=$1 i
  shift
  for i in $(seq 1 200); do
    "$@" && return 0
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.05
  done
  cat "$SESSION_FOLDER"/*.log >&2
  return 1
}

# NAME ARG...: starts a session program in the background, its output in FOLDER/NAME.log.
session_start() {
  local name=$1
  shift
  "${AS_SESSION[@]}" "$@" >"$SESSION_FOLDER/$name.log" 2>&1 &
  SESSION_PIDS+=("$!")
}

start_bus() {
  session_start dbus dbus-daemon --session --nofork --address="unix:path=$SESSION_FOLDER/run/bus"
  session_wait "$!" test -S "$SESSION_FOLDER/run/bus" || return 1
  SESSION_BUS=unix:path=$SESSION_FOLDER/run/bus
  session_command
}

bus_has() {
  session gdbus call --session --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
    --method org.freedesktop.DBus.NameHasOwner "$1" 2>/dev/null | grep -q true
}

start_sway() {
  session_folders "$1" || return 1
  session_start sway WLR_BACKENDS=headless WLR_RENDERER=pixman WLR_HEADLESS_OUTPUTS=2 WLR_LIBINPUT_NO_DEVICES=1 \
    sway -c "$2"
  SWAY_PID=$! COMPOSITOR_PID=$!
  local i
  for i in $(seq 1 150); do
    if ls "$SESSION_FOLDER"/run/sway-ipc.*.sock >/dev/null 2>&1 && ls "$SESSION_FOLDER"/run/wayland-? >/dev/null 2>&1; then
      WL_NAME=$(basename "$(ls "$SESSION_FOLDER"/run/wayland-? | head -1)")
      SWAYSOCK=$(ls "$SESSION_FOLDER"/run/sway-ipc.*.sock)
      session_command
      sleep 0.5  # its outputs are set up after the sockets
      return 0
    fi
    kill -0 "$SWAY_PID" 2>/dev/null || break
    sleep 0.1
  done
  cat "$SESSION_FOLDER/sway.log" >&2
  return 1
}

# Ready once its screenshot service answers: its outputs are made before.
kwin_ready() {
  test -S "$SESSION_FOLDER/run/wayland-kiru" &&
    session gdbus introspect --session --dest org.kde.KWin --object-path /org/kde/KWin/ScreenShot2 >/dev/null 2>&1
}

start_kwin() {
  session_folders "$1" || return 1
  shift
  cp /usr/bin/kwin_wayland "$SESSION_FOLDER/"  # cp leaves the capability behind
  start_bus || return 1
  session_start kwin KWIN_WAYLAND_NO_PERMISSION_CHECKS=1 KWIN_SCREENSHOT_NO_PERMISSION_CHECKS=1 \
    "$SESSION_FOLDER/kwin_wayland" --virtual --socket wayland-kiru --no-lockscreen --no-global-shortcuts \
    --no-kactivities "$@"
  COMPOSITOR_PID=$!
  session_wait "$COMPOSITOR_PID" kwin_ready || return 1
  WL_NAME=wayland-kiru
  session_command
}

# Ready once it owns its D-Bus names, which it takes after making its monitors.
mutter_ready() { test -S "$SESSION_FOLDER/run/wayland-kiru" && bus_has org.gnome.Mutter.DisplayConfig; }

start_mutter() {
  session_folders "$1" || return 1
  shift
  start_bus || return 1
  session_start mutter mutter --headless --wayland --no-x11 --wayland-display wayland-kiru "$@"
  COMPOSITOR_PID=$!
  session_wait "$COMPOSITOR_PID" mutter_ready || return 1
  WL_NAME=wayland-kiru
  session_command
}

# Ready once WirePlumber has made its default-device metadata: it links streams then.
pipewire_ready() { session pw-cli ls Metadata 2>/dev/null | grep -q 'metadata.name = "default"'; }

start_pipewire() {
  session_start pipewire pipewire
  session_wait "$!" test -S "$SESSION_FOLDER/run/pipewire-0" || return 1
  session_start wireplumber wireplumber
  session_wait "$!" pipewire_ready
}

stop_session() {
  local i
  for ((i = ${#SESSION_PIDS[@]} - 1; i >= 0; i--)); do
    kill "${SESSION_PIDS[i]}" 2>/dev/null || true
    wait "${SESSION_PIDS[i]}" 2>/dev/null || true
  done
  SESSION_PIDS=() COMPOSITOR_PID='' SWAY_PID=''
}
