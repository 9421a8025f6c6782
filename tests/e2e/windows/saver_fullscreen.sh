# Kiru.scr /s under Wine covers the screen and draws; Esc ends it with 0 and the
# settings key holds the whole normalised set.
source "$(dirname "$0")/wine-common.bash"
reset_settings
start_saver
many_colours() {
  lit_over 1024x768+0+0 1.99 || return 1
  colours=$(convert "$WORK/shot.png" -colors 16 -unique-colors -format '%w' info:)
  [ "$colours" -ge 4 ]
}
wait_until 10 many_colours || true
lit=$LIT
cp "$WORK/shot.png" "$KIRU_BINARY_DIR/wine-saver.png" 2>/dev/null || true
awk -v l="$lit" 'BEGIN { exit !(l >= 2) }' || fail "screen nearly black ($lit% lit)"
[ "$colours" -ge 4 ] || fail "only $colours colours on the screen"
end_with_key Escape
[ "$(reg_dword "mod7 vert")" = 0x4be ] || fail "mod7 vert is '$(reg_dword "mod7 vert")'"
[ "$(reg_dword "mod5 xrot")" = 0xffffc267 ] || fail "mod5 xrot is '$(reg_dword "mod5 xrot")'"
[ "$(reg_dword "cycle time")" = 0xf ] || fail "cycle time is '$(reg_dword "cycle time")'"
echo "ok: $lit% lit, $colours colours, Esc ended it with 0, normalised set stored"
