# Kiru-Setup.exe under Wine, first as a user goes through it: welcome, folder,
# progress and finish pages, each shown (KIRU_INSTALLER_SHOTS=<folder> keeps a
# screenshot of each) under the window's own caption, "Use Kiru as my screen saver"
# ticked writes the user's SCRNSAVE.EXE, and the uninstaller, confirmed, takes it
# away again with the rest and leaves no saver active.
# Then: a silent install puts Kiru.scr in the system folder and the uninstaller in
# the folder "install_dir" names, and registers it with Add/Remove Programs with its
# size and links; a silent uninstall takes it all away again. Installed once more,
# the copy in the system folder saves the screen; its hardware warning's "Remove Kiru"
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

reg_string() {  # key value: the value as `wine reg query` prints it (a DWORD as 0x..; "" when missing)
  wine reg query "$1" /v "$2" /reg:32 2>/dev/null | tr -d '\r' |
    sed -n "s/^ *$2 *REG_[A-Z]* *//p"
}
# The About dialog's web page, which Add/Remove Programs links to.
WEB_PAGE=$(sed -n 's/.*LINK_KIRU_PAGE = "-new \(.*\)";/\1/p' "$KIRU_SOURCE_DIR/ui/about.cpp")
[ -n "$WEB_PAGE" ] || fail "no web page in ui/about.cpp"
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

install_silently() {  # [/D=folder]
  wine "$SETUP" /S "$@" >"$WORK/setup.log" 2>&1 || fail "the silent install ended with $?"
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
  local kib=$((($(stat -c %s "$SCR") + $(stat -c %s "$UNINSTALLER") + 1023) / 1024))
  [ "$(reg_string "$UNINSTALL_KEY" EstimatedSize)" = "$(printf 0x%x $kib)" ] ||
    fail "EstimatedSize is $(reg_string "$UNINSTALL_KEY" EstimatedSize), not $kib KiB"
  [ "$(reg_string "$UNINSTALL_KEY" URLInfoAbout)" = "$WEB_PAGE" ] || fail "URLInfoAbout is not $WEB_PAGE"
  [ "$(reg_string "$UNINSTALL_KEY" HelpLink)" = "$WEB_PAGE" ] || fail "HelpLink is not $WEB_PAGE"
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

# The window keeps its caption on every page: the pages' own headers say which
# page shows.
SETUP_TITLE="Kiru Screen Saver Setup"
UNINSTALL_TITLE="Kiru Screen Saver Uninstall"
titled() { window_shown "$1"; }
untitled() { ! titled "$1" && ! titled "$1 "; }
DESKTOP_KEY='HKCU\Control Panel\Desktop'
desktop_value() { wine reg query "$DESKTOP_KEY" /v "$1" 2>/dev/null | tr -d '\r' | sed -n "s/^ *$1 *REG_SZ *//p"; }
scrnsave() { desktop_value SCRNSAVE.EXE; }
# Screenshot of the page now showing, then the keys that leave it.
page() {
  local name=$1
  shift
  sleep 2
  titled "$PAGE_TITLE" || fail "page $name is not captioned '$PAGE_TITLE'"
  local id
  id=$(xdotool search --name "^$PAGE_TITLE\$" | head -1) || true
  import -window "${id:-root}" "$WORK/$name.png"
  [ -z "${KIRU_INSTALLER_SHOTS:-}" ] || cp "$WORK/$name.png" "$KIRU_INSTALLER_SHOTS/$name.png"
  xdotool "$@"
}
# The same picture as before a key: the page did not change.
same_page() { [ "$(compare -metric AE "$WORK/$1.png" "$WORK/$2.png" null: 2>&1)" = 0 ]; }

reset_settings
wine reg delete "$DESKTOP_KEY" /v SCRNSAVE.EXE /f >/dev/null 2>&1 || true
xdotool mousemove 512 384  # keys go to the window under the pointer
PAGE_TITLE=$SETUP_TITLE
wine "$SETUP" >"$WORK/setup.log" 2>&1 &
SETUP_PID=$!
PIDS+=("$SETUP_PID")
wait_until 30 titled "$SETUP_TITLE" || fail "the installer did not come up"
page 1-welcome key Return
page 2-folder key Return  # Install
page 3-progress key Return
page 4-finish key Return  # Finish, "Use Kiru as my screen saver" ticked
for pair in "1-welcome 2-folder" "2-folder 3-progress" "3-progress 4-finish"; do
  ! same_page $pair || fail "the installer stayed on page ${pair% *}"
done
wait_exit "$SETUP_PID" 20 || fail "Finish did not end the installer"
[ "$EXIT_STATUS" -eq 0 ] || fail "the installer ended with $EXIT_STATUS"
SCR=$(installed_scr) || fail "no Kiru.scr in the system folder"
written=$(scrnsave) expected=$(winepath -w "$SCR" | tr -d '\r')
[ "${written,,}" = "${expected,,}" ] || fail "SCRNSAVE.EXE is '$written', not $expected"
[ "$(desktop_value ScreenSaveActive)" = 1 ] || fail "ScreenSaveActive is not 1 after the install"
DIR=$(reg_string "$MACHINE_KEY" install_dir)
UNINSTALLER=$(unix_path "$DIR\\uninstal.exe")
PAGE_TITLE=$UNINSTALL_TITLE
wine "$UNINSTALLER" >"$WORK/setup.log" 2>&1 &
PIDS+=("$!")
wait_until 30 titled "$UNINSTALL_TITLE" || fail "the uninstaller did not come up"
page 5-uninstall-confirm key Return  # Uninstall
page 6-uninstall-done key Return    # Finish
wait_removed "the uninstaller"
wait_until 10 untitled "$UNINSTALL_TITLE" || fail "the uninstaller stayed"
[ -z "$(scrnsave)" ] || fail "the uninstaller left SCRNSAVE.EXE '$(scrnsave)'"
[ "$(desktop_value ScreenSaveActive)" = 0 ] || fail "the uninstaller left ScreenSaveActive '$(desktop_value ScreenSaveActive)'"

install_silently
# Removals "Remove Kiru" scheduled go with the uninstall; other RunOnce values stay.
USER_RUNONCE_KEY='HKCU\Software\Microsoft\Windows\CurrentVersion\RunOnce'
wine reg add "$RUNONCE_KEY" /v kill_saver /d "\"$DIR\\uninstal.exe\"" /reg:32 /f >/dev/null 2>&1
wine reg add "$USER_RUNONCE_KEY" /v kill_saver1 /d "$DIR\\uninstal.exe" /f >/dev/null 2>&1
wine reg add "$USER_RUNONCE_KEY" /v other /d "other.exe" /f >/dev/null 2>&1
wine "$UNINSTALLER" /S >"$WORK/setup.log" 2>&1 || fail "the silent uninstall ended with $?"
wait_removed "the silent uninstall"
[ -z "$(reg_string "$RUNONCE_KEY" kill_saver)" ] || fail "the machine's scheduled removal stayed"
[ -z "$(reg_string "$USER_RUNONCE_KEY" kill_saver1)" ] || fail "the user's scheduled removal stayed"
[ "$(reg_string "$USER_RUNONCE_KEY" other)" = other.exe ] || fail "another RunOnce value went"
wine reg delete "$USER_RUNONCE_KEY" /v other /f >/dev/null 2>&1
[ "$(reg_dword disable_frame_warn)" = 0x1 ] || fail "the uninstaller took the user's settings"

# Installed again into another folder: the earlier folder and its uninstaller go,
# and the one uninstaller left removes it all.
install_silently
EARLIER=$(dirname "$UNINSTALLER")
install_silently '/D=C:\Elsewhere\Kiru'  # /D= takes no quotes, so no blanks
[ "$DIR" = 'C:\Elsewhere\Kiru' ] || fail "installed into '$DIR'"
[ ! -e "$EARLIER" ] || fail "the earlier folder $EARLIER stayed"
wine "$UNINSTALLER" /S >"$WORK/setup.log" 2>&1 || fail "the silent uninstall ended with $?"
wait_removed "the uninstall after a move"

install_silently
# The installed copy saves the screen.
KIRU=$SCR start_saver
lit=$(lit_percent 1024x768+0+0)
awk -v l="$lit" 'BEGIN { exit !(l >= 2) }' || fail "the installed saver drew nothing ($lit% lit)"
end_with_key Escape

# Measured at 5 frames a second, it warns; "Remove Kiru" is next after the focused
# "Continue". Pressed $1 times; the notice's width in NOTICE_WIDTH.
remove_kiru() {
  local i
  wine reg delete "$KEY" /v disable_frame_warn /f >/dev/null 2>&1 || true
  KIRU=$SCR KIRU_TEST_FRAME_RATE=5 start_saver
  wait_for_window "Video Hardware Warning -- frames per second: 5" 30 || fail "no hardware warning"
  xdotool key Tab
  for i in $(seq "$1"); do
    xdotool key space  # the focus is back on "Remove Kiru" once the notice has gone
    wait_for_window "Screen saver will be removed." 20 || fail "no removal notice"
    read_geometry "$(window_id "Screen saver will be removed.")"
    NOTICE_WIDTH=$GW
    xdotool key Return
    wait_for_gone "Screen saver will be removed." 10 || fail "the removal notice stayed"
  done
  end_with_key Escape  # "Close this Window"
}

# A standard user may not write the machine's RunOnce (its write right denied
# here, where Wine runs everything as an administrator): pressed twice, "Remove
# Kiru" leaves one entry under the user's RunOnce, and the notice says something
# else than the machine's (a longer text: the next log-on, an administrator's consent).
DENYKEY=$KIRU_BINARY_DIR/denykey.exe
wine "$DENYKEY" deny || fail "the machine's RunOnce could not be denied"
trap 'wine "$DENYKEY" allow >/dev/null 2>&1; cleanup' EXIT
remove_kiru 2
USER_NOTICE_WIDTH=$NOTICE_WIDTH
wine "$DENYKEY" allow || fail "the machine's RunOnce could not be given back"
[ -z "$(reg_string "$RUNONCE_KEY" kill_saver)" ] || fail "the machine's RunOnce was written"
[ "$(reg_string "$USER_RUNONCE_KEY" kill_saver)" = "\"$DIR\\uninstal.exe\"" ] ||
  fail "the user's RunOnce kill_saver is '$(reg_string "$USER_RUNONCE_KEY" kill_saver)'"
[ -z "$(reg_string "$USER_RUNONCE_KEY" kill_saver1)" ] || fail "a second press wrote a second entry"
wine reg delete "$USER_RUNONCE_KEY" /v kill_saver /f >/dev/null 2>&1

remove_kiru 1
[ "$USER_NOTICE_WIDTH" -gt "$NOTICE_WIDTH" ] ||
  fail "the user's notice ($USER_NOTICE_WIDTH px) says no more than the machine's ($NOTICE_WIDTH px)"
[ "$(reg_string "$RUNONCE_KEY" kill_saver)" = "\"$DIR\\uninstal.exe\"" ] ||
  fail "RunOnce kill_saver is '$(reg_string "$RUNONCE_KEY" kill_saver)'"
[ -e "$SCR" ] || fail "the saver removed itself at once"

# The next start of Windows runs the uninstaller, which asks first.
wineboot >/dev/null 2>&1 || fail "wineboot ended with $?"
wait_until 30 titled "$UNINSTALL_TITLE" || fail "the uninstaller did not start"
[ -z "$(reg_string "$RUNONCE_KEY" kill_saver)" ] || fail "kill_saver stayed under RunOnce"
sleep 2
xdotool key Return  # "Uninstall", the default button
wait_removed "the uninstaller run by RunOnce"
sleep 2
xdotool key Return  # Finish
wait_until 10 untitled "$UNINSTALL_TITLE" || fail "the uninstaller stayed"
echo "ok: with the machine's RunOnce denied, two presses left one entry under the user's; installed page by page (SCRNSAVE.EXE written) and uninstalled (and removed); installed and uninstalled silently; the installed saver draws; Remove Kiru ran the uninstaller at the next start"
