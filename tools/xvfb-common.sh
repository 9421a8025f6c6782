# Sourced by scripts that need a virtual X server: start_xvfb picks a free display
# (:90 to :150), starts Xvfb there (screen $1 when it is WxHxD, default 1024x768x24,
# and any further arguments, such as "-extension GLX"), waits for it and exports
# DISPLAY (and unsets WAYLAND_DISPLAY); stop_xvfb ends it by PID. Callers add
# stop_xvfb to their EXIT trap.
XVFB_PID=

start_xvfb() {
  local n screen=1024x768x24
  if [[ ${1:-} =~ ^[0-9]+x[0-9]+x[0-9]+$ ]]; then
    screen=$1
    shift
  fi
  for n in $(seq 90 150); do
    [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 "$screen" -nolisten tcp -noreset "$@" >/dev/null 2>&1 &
    XVFB_PID=$!
    local i
    for i in $(seq 1 300); do
      kill -0 "$XVFB_PID" 2>/dev/null || break   # lost the display to someone else
      if [ -S "/tmp/.X11-unix/X$n" ] && [ "$(tr -d ' \n' < "/tmp/.X$n-lock" 2>/dev/null)" = "$XVFB_PID" ]; then
        export DISPLAY=":$n"
        # Run from a Wayland session, kiru /s would go to the session's compositor.
        unset WAYLAND_DISPLAY
        return 0
      fi
      sleep 0.02
    done
    stop_xvfb
  done
  echo "no virtual X server could be started" >&2
  return 1
}

stop_xvfb() {
  if [ -n "${XVFB_PID:-}" ]; then
    kill "$XVFB_PID" 2>/dev/null || true
    wait "$XVFB_PID" 2>/dev/null || true
    XVFB_PID=
  fi
}
