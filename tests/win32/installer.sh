# Kiru-Setup.exe under Wine: a silent install puts Kiru.scr in the system folder and
# the uninstaller in the folder "install_dir" names, and registers it with Add/Remove
# Programs; a silent uninstall takes it all away again. Installed once more, the
# copy in the system folder saves the screen; its hardware warning's "Remove Kiru"
# schedules the uninstaller under RunOnce, and the next start of Windows (wineboot)
# runs it: once confirmed, nothing of the installation is left.
source "$(dirname "$0")/wine-common.bash"
SETUP=$(dirname "$KIRU")/Kiru-Setup.exe
[ -f "$SETUP" ] || fail "no $SETUP"
# Both the installer and Kiru.scr are 32-bit programs: they see the machine keys
# through the 32-bit view of the registry.
MACHINE_KEY='HKLM\Software\Quillmoor\Kiru'
UNINSTALL_KEY='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Kiru'
RUNONCE_KEY='HKLM\Software\Microsoft\Windows\CurrentVersion\RunOnce'
WINDOWS=$WINEPREFIX/drive_c/windows

reg_string() {  # key value: the REG_SZ as `wine reg query` prints it ("" when missing)
  wine reg query "$1" /v "$2" /reg:32 2>/dev/null | tr -d '\r' |
    sed -n "s/^ *$2 *REG_SZ *//p"
}
key_exists() { wine reg query "$1" /reg:32 >/dev/null 2>&1; }
unix_path() { winepath -u "$1" 2>/dev/null | tr -d '\r'; }
# The installed saver: the system folder that a 32-bit program's "system32" stands for.
installed_scr() {
  local dir
  for dir in "$WINDOWS/syswow64" "$WINDOWS/system32"; do
    [ -f "$dir/Kiru.scr" ] && { echo "$dir/Kiru.scr"; return 0; }
  done
  return 1
}

install_silently() {
  wine "$SETUP" /S >"$WORK/setup.log" 2>&1 || fail "the silent install ended with $?"
  SCR=$(installed_scr) || fail "no Kiru.scr in the system folder"
  cmp -s "$SCR" "$KIRU" || fail "$SCR is not the built Kiru.scr"
  DIR=$(reg_string "$MACHINE_KEY" install_dir)
  case $DIR in '' | *\\) fail "install_dir is '$DIR'" ;; esac
  UNINSTALLER=$(unix_path "$DIR\\uninstal.exe")
  [ -f "$UNINSTALLER" ] || fail "no uninstal.exe in $DIR"
  [ "$(reg_string "$UNINSTALL_KEY" UninstallString)" = "\"$DIR\\uninstal.exe\"" ] ||
    fail "UninstallString is '$(reg_string "$UNINSTALL_KEY" UninstallString)'"
  [ "$(reg_string "$UNINSTALL_KEY" DisplayName)" = "Kiru Screen Saver" ] || fail "no DisplayName"
  [ "$(reg_string "$UNINSTALL_KEY" Publisher)" = "Quillmoor Software" ] || fail "no Publisher"
  [ "$(reg_string "$UNINSTALL_KEY" DisplayVersion)" = "1.3.0.1" ] || fail "no DisplayVersion"
}

# Waits (at most 30 s: the uninstaller runs on from a copy of itself) until
# nothing of the installation is left.
wait_removed() {
  local i
  for i in $(seq 1 60); do
    [ ! -e "$SCR" ] && [ ! -e "$UNINSTALLER" ] && [ ! -e "$(dirname "$(dirname "$UNINSTALLER")")" ] &&
      ! key_exists "$MACHINE_KEY" && ! key_exists "$UNINSTALL_KEY" && return 0
    sleep 0.5
  done
  ls -la "$SCR" "$(dirname "$UNINSTALLER")" >&2 || true
  fail "$1 left the installation behind"
}

reset_settings
install_silently
wine "$UNINSTALLER" /S >"$WORK/setup.log" 2>&1 || fail "the silent uninstall ended with $?"
wait_removed "the silent uninstall"
[ "$(reg_dword disable_frame_warn)" = 0x1 ] || fail "the uninstaller took the user's settings"

install_silently
# The installed copy saves the screen.
KIRU=$SCR start_saver
lit=$(lit_percent 1024x768+0+0)
awk -v l="$lit" 'BEGIN { exit !(l >= 2) }' || fail "the installed saver drew nothing ($lit% lit)"
end_with_key Escape

# Measured at 5 frames a second, it warns; "Remove Kiru" is next after the focused
# "Continue".
wine reg delete "$KEY" /v disable_frame_warn /f >/dev/null 2>&1
KIRU=$SCR KIRU_TEST_FRAME_RATE=5 start_saver
wait_for_window "Video Hardware Warning -- frames per second: 5" 30 || fail "no hardware warning"
xdotool key Tab space
wait_for_window "Screen saver will be removed." 20 || fail "no removal notice"
xdotool key Return
wait_for_gone "Screen saver will be removed." 10 || fail "the removal notice stayed"
end_with_key Escape  # "Close this Window"
[ "$(reg_string "$RUNONCE_KEY" kill_saver)" = "\"$DIR\\uninstal.exe\"" ] ||
  fail "RunOnce kill_saver is '$(reg_string "$RUNONCE_KEY" kill_saver)'"
[ -e "$SCR" ] || fail "the saver removed itself at once"

# The next start of Windows runs the uninstaller, which asks first.
wineboot >/dev/null 2>&1 || fail "wineboot ended with $?"
wait_for_window "Kiru Screen Saver Uninstall: Confirmation" 30 || fail "the uninstaller did not start"
[ -z "$(reg_string "$RUNONCE_KEY" kill_saver)" ] || fail "kill_saver stayed under RunOnce"
xdotool key Return  # "Uninstall", the default button
wait_removed "the uninstaller run by RunOnce"
wait_for_gone "Kiru Screen Saver Uninstall: Confirmation" 10 || fail "the uninstaller stayed"
echo "ok: installed and uninstalled silently; the installed saver draws; Remove Kiru ran the uninstaller at the next start"
