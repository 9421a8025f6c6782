# A fault that nothing handles (an access violation, on the main thread or another)
# runs the cleanup and ends the process with 255, without the system's crash dialog.
source "$(dirname "$0")/wine-common.bash"
FAULTER=$KIRU_BINARY_DIR/faulter.exe
[ -f "$FAULTER" ] || fail "no $FAULTER"
for where in main thread; do
  wine "$FAULTER" "$where" >"$WORK/fault.out" 2>/dev/null &
  KIRU_PID=$!
  PIDS+=("$KIRU_PID")
  wait_exit "$KIRU_PID" 30 || fail "a fault on the $where thread did not end the process"
  [ "$EXIT_STATUS" -eq 255 ] || fail "a fault on the $where thread ended it with $EXIT_STATUS"
  [ "$(tr -d '\r' <"$WORK/fault.out")" = cleanup ] || fail "the cleanup said '$(cat "$WORK/fault.out")'"
  window_gone "Program Error" || fail "a crash dialog showed"
done
echo "ok: faults on the main thread and another end with 255 after the cleanup, without a crash dialog"
