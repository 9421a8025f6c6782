# Sourced by scripts that run Wayland clients under a headless sway (pixman
# renderer, no input devices). sway refuses root: as root, sway and its clients run
# as the test user kirutest, made here when missing (and removed by remove_sway_user).
#   start_sway FOLDER CONFIG  starts sway with its runtime folder, home and settings
#                             under FOLDER (which becomes the user's; its parent must
#                             let the user through) and CONFIG as its configuration;
#                             sets SWAY_PID, WL_NAME (its socket) and SWAYSOCK
#   session [VAR=value...] COMMAND...  runs a command as that user, in that session;
#                             "${AS_SESSION[@]}" COMMAND... & does so in the background
#                             with $! the command's own PID (setpriv and env exec)
#   stop_sway                 ends sway by PID
#   remove_sway_user          removes the user if start_sway made it (after its processes)
SWAY_AS=()
SWAY_PID=
SWAY_FOLDER=
WL_NAME=
SWAYSOCK=
AS_SESSION=()
SWAY_USER_MADE=

session_command() {
  AS_SESSION=("${SWAY_AS[@]}" env -i PATH=/usr/bin:/bin HOME="$SWAY_FOLDER/home" XDG_RUNTIME_DIR="$SWAY_FOLDER/run"
    XDG_CONFIG_HOME="$SWAY_FOLDER/config" ${WL_NAME:+WAYLAND_DISPLAY=$WL_NAME} ${SWAYSOCK:+SWAYSOCK=$SWAYSOCK}
    ${LSAN_OPTIONS:+LSAN_OPTIONS=$LSAN_OPTIONS} ${TSAN_OPTIONS:+TSAN_OPTIONS=$TSAN_OPTIONS})
}

session() { "${AS_SESSION[@]}" "$@"; }

start_sway() {
  SWAY_FOLDER=$1
  mkdir -p "$SWAY_FOLDER/run" "$SWAY_FOLDER/home" "$SWAY_FOLDER/config"
  chmod 700 "$SWAY_FOLDER/run"
  if [ "$(id -u)" = 0 ]; then
    if ! id kirutest >/dev/null 2>&1; then
      useradd -M -d "$SWAY_FOLDER/home" -s /bin/sh kirutest || return 1
      SWAY_USER_MADE=kirutest
    fi
    SWAY_AS=(setpriv --reuid=kirutest --regid=kirutest --clear-groups)
    chown -R kirutest "$SWAY_FOLDER"
  fi
  WL_NAME= SWAYSOCK=
  session_command
  "${AS_SESSION[@]}" WLR_BACKENDS=headless WLR_RENDERER=pixman WLR_HEADLESS_OUTPUTS=2 WLR_LIBINPUT_NO_DEVICES=1 \
    sway -c "$2" >"$SWAY_FOLDER/sway.log" 2>&1 &
  SWAY_PID=$!
  local i
  for i in $(seq 1 150); do
    if ls "$SWAY_FOLDER"/run/sway-ipc.*.sock >/dev/null 2>&1 && ls "$SWAY_FOLDER"/run/wayland-? >/dev/null 2>&1; then
      WL_NAME=$(basename "$(ls "$SWAY_FOLDER"/run/wayland-? | head -1)")
      SWAYSOCK=$(ls "$SWAY_FOLDER"/run/sway-ipc.*.sock)
      session_command
      sleep 0.5  # its outputs are set up after the sockets
      return 0
    fi
    kill -0 "$SWAY_PID" 2>/dev/null || break
    sleep 0.1
  done
  cat "$SWAY_FOLDER/sway.log" >&2
  return 1
}

stop_sway() {
  [ -n "$SWAY_PID" ] || return 0
  kill "$SWAY_PID" 2>/dev/null || true
  wait "$SWAY_PID" 2>/dev/null || true
  SWAY_PID=
}

remove_sway_user() {
  [ -n "$SWAY_USER_MADE" ] || return 0
  local i
  for i in $(seq 1 50); do pgrep -u "$SWAY_USER_MADE" >/dev/null || break; sleep 0.1; done  # Xwayland going
  userdel "$SWAY_USER_MADE" || echo "could not remove user $SWAY_USER_MADE" >&2
  SWAY_USER_MADE=
}
