# Shared set-up of the scripts that drive Kiru.scr under Wine. The prefix, HOME and
# display are the suite's, made by tools/run-windows-tests; process cleanup, waits
# and screenshots are the Linux end-to-end scripts'. $1 of the script is Kiru.scr.
source "$(dirname "${BASH_SOURCE[0]}")/../common.bash"
if [ -z "${KIRU_WINE_SUITE:-}" ] || [ -z "${DISPLAY:-}" ]; then
  echo "run through tools/run-windows-tests (make test-windows)" >&2
  exit 77
fi
KEY='HKCU\Software\Quillmoor\Kiru'

# Quiet settings, as the Linux scripts' hive: no sound, no start-up frame-rate warning.
reset_settings() {
  wine reg delete "$KEY" /f >/dev/null 2>&1 || true
  wine reg add "$KEY" /v "enable sound" /t REG_DWORD /d 0 /f >/dev/null 2>&1
  wine reg add "$KEY" /v "disable_frame_warn" /t REG_DWORD /d 1 /f >/dev/null 2>&1
}

# Starts Kiru.scr with the given arguments in the background; its PID in KIRU_PID.
start_scr() {
  : >"$WORK/kiru.log"  # emptied before it starts: nothing of the last run is waited on
  wine "$KIRU" "$@" >"$WORK/kiru.log" 2>&1 &
  KIRU_PID=$!
  PIDS+=("$KIRU_PID")
}

# Full-screen saving, shown with its first frame drawn, with the pointer at a known
# place first.
start_saver() {
  xdotool mousemove 500 400
  KIRU_TRACE_FIRST_FRAME=1 start_scr /s
  wait_for_window "Screen Saver" 30 || fail "no full-screen window"
  wait_for_first_frame
}

# A DWORD of the settings key as `wine reg query` prints it, e.g. 0x4be ("" when missing).
reg_dword() {
  wine reg query "$KEY" /v "$1" 2>/dev/null | tr -d '\r' | awk 'NF >= 3 && $(NF-1) == "REG_DWORD" { print $NF }'
}

# Ends the saver with a key and checks that it ended with status 0.
end_with_key() {
  xdotool key "$1"
  wait_exit "$KIRU_PID" 20 || fail "$1 did not end it"
  [ "$EXIT_STATUS" -eq 0 ] || fail "$1 ended it with $EXIT_STATUS"
}
