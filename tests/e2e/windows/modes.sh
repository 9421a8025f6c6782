# Modes without a window: a preview without a valid host and an unknown mode end
# with 255 and show nothing. XScreenSaver's flags are unknown modes on Windows.
source "$(dirname "$0")/wine-common.bash"
for args in "/p 0" "/p 999999" "/p" "/x" "-root" "-window"; do
  start_scr $args
  wait_exit "$KIRU_PID" 20 || fail "$args still runs"
  [ "$EXIT_STATUS" -eq 255 ] || fail "$args ended with $EXIT_STATUS"
done
echo "ok: bad previews, /x, -root and -window end with 255"
