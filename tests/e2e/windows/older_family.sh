# The older Windows family under Wine, which reports Windows 98 to a copy of
# Kiru.scr (Kiru98.scr: Wine's per-program setting touches no other test's runs).
# Beside it, stand-ins for MPR.DLL and PASSWORD.CPL record their calls.
#   /a calls PwdChangePasswordA("SCRSAVE", owner, 0, 0) and ends with 0; without
#   MPR.DLL it ends with 0 all the same; on the NT family /a ends with 255.
#   With "ScreenSaveUsePassword" set, a close asks VerifyScreenSavePwd: refused, the
#   saver stays; the next close request (a mouse move) asks again and, accepted,
#   ends it with 0. Without PASSWORD.CPL the first close request ends it.
source "$(dirname "$0")/wine-common.bash"
STANDIN=$KIRU_BINARY_DIR/standin
APP=$WORK/app
LOG=$WORK/password.log
DESKTOP_KEY='HKCU\Control Panel\Desktop'
APP_KEY='HKCU\Software\Wine\AppDefaults\Kiru98.scr'
mkdir -p "$APP"
cp "$KIRU" "$APP/Kiru98.scr"
cp "$STANDIN/MPR.DLL" "$STANDIN/PASSWORD.CPL" "$APP/"
export KIRU_TEST_PASSWORD_LOG=$(winepath -w "$LOG" | tr -d '\r')
KIRU=$APP/Kiru98.scr
restore() {
  wine reg delete "$APP_KEY" /f >/dev/null 2>&1 || true
  wine reg delete "$DESKTOP_KEY" /v ScreenSaveUsePassword /f >/dev/null 2>&1 || true
}
trap 'restore; cleanup' EXIT
reset_settings

# $1: the status expected; $2: the MPR.DLL loaded, "n" the stand-in beside the
# program rather than Wine's own, "" none.
run_a() {
  : >"$LOG"
  WINEDLLOVERRIDES="$WINEDLLOVERRIDES;mpr=$2" start_scr /a
  wait_exit "$KIRU_PID" 30 || fail "/a still runs"
  [ "$EXIT_STATUS" -eq "$1" ] || fail "/a ended with $EXIT_STATUS, not $1"
}

run_a 255 n
[ ! -s "$LOG" ] || fail "/a on the NT family called $(cat "$LOG")"

wine reg add "$APP_KEY" /v Version /d win98 /f >/dev/null 2>&1
run_a 0 n
[ "$(cat "$LOG")" = "PwdChangePasswordA SCRSAVE 0 null" ] || fail "/a called '$(cat "$LOG")'"
run_a 0 ""  # no MPR.DLL at all
[ ! -s "$LOG" ] || fail "/a without MPR.DLL called $(cat "$LOG")"

wine reg add "$DESKTOP_KEY" /v ScreenSaveUsePassword /t REG_DWORD /d 1 /f >/dev/null 2>&1
: >"$LOG"
start_saver
xdotool key Escape
wait_until 20 test -s "$LOG" || fail "the close asked nothing"
sleep 1
still_running "$KIRU_PID" || fail "a refused password let the saver close"
[ "$(cat "$LOG")" = "VerifyScreenSavePwd 1 window" ] || fail "the close asked '$(cat "$LOG")'"
xdotool mousemove 700 400  # 200 pixels from where it started: a close request
wait_exit "$KIRU_PID" 20 || fail "an accepted password did not let the saver close"
[ "$EXIT_STATUS" -eq 0 ] || fail "the accepted close ended it with $EXIT_STATUS"
[ "$(tail -1 "$LOG")" = "VerifyScreenSavePwd 2 window" ] || fail "the second close asked '$(cat "$LOG")'"

rm "$APP/PASSWORD.CPL"
start_saver
end_with_key Escape
echo "ok: /a called the password change (0), without MPR.DLL 0, on NT 255; the password check refused, then accepted; none without PASSWORD.CPL"
