# Kiru.scr loads on Windows XP SP3: it imports nothing outside the reviewed list of
# what XP's DLLs export (xp-imports.txt beside this script), and its PE header asks
# for a subsystem version XP's loader accepts (5.01 or lower). Its icon holds the
# 256-pixel image of Vista and later, stored as PNG. Needs no Wine.
set -euo pipefail
SCR=${1:?usage: $0 Kiru.scr}
here=$(dirname "$0")
OBJDUMP=${KIRU_OBJDUMP:-}
if [ -z "$OBJDUMP" ] && [ -n "${KIRU_BINARY_DIR:-}" ]; then
  OBJDUMP=$(sed -n 's/^CMAKE_OBJDUMP:FILEPATH=//p' "$KIRU_BINARY_DIR/CMakeCache.txt")
fi
OBJDUMP=${OBJDUMP:-i686-w64-mingw32-objdump}
command -v "$OBJDUMP" >/dev/null || { echo "skipped: no $OBJDUMP"; exit 77; }
fail() { echo "FAIL: $*" >&2; exit 1; }

headers=$("$OBJDUMP" -p "$SCR")
# "dll function" per imported function, the DLL's name in lower case.
imports=$(sed -n '/^The Import Tables/,/^The .* Tables\|^PE File Base/p' <<<"$headers" |
  awk '/DLL Name:/ { dll = tolower($3); next } dll != "" && NF == 3 && $1 ~ /^[0-9a-f]+$/ { print dll " " $3 }' | sort -u)
[ "$(wc -l <<<"$imports")" -gt 50 ] || fail "read only $(wc -l <<<"$imports") imports from $SCR"
allowed=$(grep -v '^#' "$here/xp-imports.txt" | sort -u)
extra=$(comm -23 <(echo "$imports") <(echo "$allowed"))
[ -z "$extra" ] || fail "imports that Windows XP SP3 may lack:"$'\n'"$extra"

major=$(awk '$1 == "MajorSubsystemVersion" { print $2 }' <<<"$headers")
minor=$(awk '$1 == "MinorSubsystemVersion" { print $2 }' <<<"$headers")
[ -n "$major" ] && [ -n "$minor" ] || fail "no subsystem version in the PE header"
[ $((major * 100 + minor)) -le 501 ] || fail "subsystem version $major.$minor is above XP's 5.01"

command -v wrestool >/dev/null && command -v icotool >/dev/null || fail "no wrestool or icotool (icoutils)"
icons=$(mktemp -d)
trap 'rm -rf "$icons"' EXIT
wrestool -x --type=group_icon -o "$icons" "$SCR"
icotool -l "$icons"/*.ico | grep -q -- '--width=256 --height=256' || fail "no 256-pixel image in the icon"
wrestool -x --raw --type=icon -o "$icons" "$SCR"
png256=89504e470d0a1a0a0000000d494844520000010000000100  # PNG signature, IHDR of 256 x 256
for image in "$icons"/*; do
  [ "$(od -An -tx1 -N24 "$image" | tr -d ' \n')" = $png256 ] && png=1
done
[ -n "${png:-}" ] || fail "the icon's 256-pixel image is not stored as PNG"
echo "ok: $(wc -l <<<"$imports") imports, all in XP SP3's list; subsystem version $major.$minor; a 256-pixel PNG icon"
