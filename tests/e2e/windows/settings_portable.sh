# Settings move between the Linux kiru and Kiru.scr as .reg files, each side going
# on from what the other stored. Module 7 alone is enabled and each run presses F9
# twice (+0.25 on module 7's speed, from 1.00 at first):
#   the Linux kiru writes its REGEDIT4 user.reg (speed 1.25); `wine regedit` imports
#   it and the registry holds its every value; Kiru.scr goes on from there (1.50);
#   `wine regedit /e` exports the key as UTF-16 "Version 5.00", which the Linux kiru
#   reads as its user.reg and goes on from (1.75), writing back UTF-16 and every
#   value it did not change exactly as exported.
# Needs the Linux build's kiru (build/kiru, or $KIRU_LINUX_BINARY).
source "$(dirname "$0")/wine-common.bash"
LINUX_KIRU=${KIRU_LINUX_BINARY:-$KIRU_SOURCE_DIR/build/kiru}
[ -x "$LINUX_KIRU" ] || { echo "skipped: no Linux kiru at $LINUX_KIRU (cmake --build build)"; exit 77; }
LINUX_HOME=$WORK/linux
HIVE=$LINUX_HOME/config/kiru/user.reg
mkdir -p "$(dirname "$HIVE")" "$LINUX_HOME/xdg"

# The DWORDs of a .reg file in either encoding, as sorted "name=8 hex digits" lines.
file_values() {
  if [ "$(head -c 2 "$1" | od -An -tx1 | tr -d ' ')" = fffe ]; then iconv -f UTF-16 -t UTF-8 "$1"; else cat "$1"; fi |
    tr -d '\r' | sed -n 's/^"\(.*\)"=dword:\([0-9a-f]\{8\}\)$/\1=\2/p' | sort
}
# The DWORDs of the settings key in Wine's registry, in the same form.
registry_values() {
  local name value
  wine reg query "$KEY" | tr -d '\r' | awk -F '    ' '$3 == "REG_DWORD" { print $2 "=" $4 }' |
    while IFS== read -r name value; do printf '%s=%08x\n' "$name" "$value"; done | sort
}
value_of() { grep "^$1=" | cut -d= -f2; }

# F9 twice on module 7, then Esc, in the Linux kiru or (with "wine") in Kiru.scr.
speed_up() {
  if [ "$1" = wine ]; then
    start_saver
  else
    HOME=$LINUX_HOME XDG_CONFIG_HOME=$LINUX_HOME/config XDG_CONFIG_DIRS=$LINUX_HOME/xdg \
      KIRU=$LINUX_KIRU start_fullscreen_saver
    sleep 1
  fi
  xdotool key F9 F9
  sleep 1
  end_with_key Escape
}

write_quiet_hive "$HIVE"
enable_only_module 7
echo '"mod7 speed"=dword:00000064' >>"$HIVE"
speed_up linux
head -1 "$HIVE" | grep -qx REGEDIT4 || fail "the Linux kiru wrote no REGEDIT4 file"
file_values "$HIVE" >"$WORK/linux.values"
[ "$(value_of "mod7 speed" <"$WORK/linux.values")" = 0000007d ] || fail "the Linux kiru stored mod7 speed $(value_of "mod7 speed" <"$WORK/linux.values")"
[ "$(wc -l <"$WORK/linux.values")" -eq 83 ] || fail "the Linux kiru stored $(wc -l <"$WORK/linux.values") values, not 83"

wine reg delete "$KEY" /f >/dev/null 2>&1 || true
wine regedit "$(winepath -w "$HIVE" | tr -d '\r')" >/dev/null 2>&1 || fail "regedit did not import the Linux user.reg"
registry_values >"$WORK/imported.values"
diff "$WORK/linux.values" "$WORK/imported.values" >&2 || fail "the registry does not hold what the Linux user.reg holds"

speed_up wine
[ "$(reg_dword "mod7 speed")" = 0x96 ] || fail "Kiru.scr stored mod7 speed $(reg_dword "mod7 speed")"
EXPORT=$WORK/export.reg
wine regedit /e "$(winepath -w "$EXPORT" | tr -d '\r')" 'HKEY_CURRENT_USER\Software\Quillmoor\Kiru' ||
  fail "regedit did not export the key"
[ "$(iconv -f UTF-16 -t UTF-8 "$EXPORT" | head -1 | tr -d '\r')" = "Windows Registry Editor Version 5.00" ] ||
  fail "the export is not regedit's UTF-16 Version 5.00"
file_values "$EXPORT" >"$WORK/exported.values"
diff <(registry_values) "$WORK/exported.values" >&2 || fail "the export does not hold the registry's values"

cp "$EXPORT" "$HIVE"
speed_up linux
[ "$(head -c 2 "$HIVE" | od -An -tx1 | tr -d ' ')" = fffe ] || fail "the Linux kiru did not keep the file UTF-16"
file_values "$HIVE" >"$WORK/linux2.values"
[ "$(value_of "mod7 speed" <"$WORK/linux2.values")" = 000000af ] || fail "the Linux kiru went on to mod7 speed $(value_of "mod7 speed" <"$WORK/linux2.values")"
diff <(grep -v '^mod7 ' "$WORK/exported.values") <(grep -v '^mod7 ' "$WORK/linux2.values") >&2 ||
  fail "the Linux kiru changed values it was not asked to"
echo "ok: Linux user.reg → regedit import → Kiru.scr → regedit /e (UTF-16) → Linux kiru, every value carried over"
