#!/usr/bin/env bash
# Full-screen saving end to end: the window covers the screen, draws, refuses a
# second instance, ends on Esc with status 0 and leaves the settings hive behind.
set -euo pipefail
kiru=${1:?usage: saver_fullscreen.sh path/to/kiru}
src=${KIRU_SOURCE_DIR:-$(cd "$(dirname "$0")/../.." && pwd)}
source "$src/tools/xvfb-common.sh"

tmp=$(mktemp -d)
saver=
cleanup() {
  if [ -n "$saver" ]; then kill "$saver" 2>/dev/null || true; wait "$saver" 2>/dev/null || true; fi
  stop_xvfb
  rm -rf "$tmp"
}
trap cleanup EXIT
export HOME=$tmp/home XDG_CONFIG_HOME=$tmp/config XDG_CONFIG_DIRS=$tmp/xdg
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_CONFIG_DIRS"
fail() { echo "FAIL: $*" >&2; exit 1; }

start_xvfb
"$kiru" /s &
saver=$!

line=
for _ in $(seq 1 250); do
  line=$(xwininfo -root -children 2>/dev/null | grep '"Screen Saver"' || true)
  id=$(echo "$line" | awk '{print $1}')
  [ -n "$line" ] && xwininfo -id "$id" 2>/dev/null | grep -q 'Map State: IsViewable' && break
  kill -0 "$saver" 2>/dev/null || fail "the saver ended before its window appeared"
  sleep 0.02
done
[ -n "$line" ] || fail "no window titled \"Screen Saver\""
echo "$line" | grep -q '("kiru" "WindowsScreenSaverClass")' || fail "wrong class: $line"
echo "$line" | grep -q ' 1024x768+0+0 ' || fail "does not cover the screen: $line"
xwininfo -id "$id" | grep -q 'Map State: IsViewable' || fail "not viewable"
xwininfo -id "$id" | grep -q 'Override Redirect State: yes' || fail "managed by a window manager"

sleep 1
import -window root "$tmp/shot.png"
[ -s "$tmp/shot.png" ] || fail "no screenshot"
colours=$(convert "$tmp/shot.png" -format '%k' info:)
echo "screenshot after one second: $colours colour(s)"
[ "$colours" -gt 1 ] || fail "nothing drawn after one second"

# A second full-screen start finds the running one and leaves at once.
"$kiru" /s || fail "second start ended with $?"
count=$(xwininfo -root -children | grep -c '"Screen Saver"' || true)
[ "$count" = 1 ] || fail "$count saver windows"

xdotool key Escape
status=0
for _ in $(seq 1 250); do kill -0 "$saver" 2>/dev/null || break; sleep 0.02; done
wait "$saver" || status=$?
saver=
[ "$status" = 0 ] || fail "Esc ended the saver with status $status"

hive=$XDG_CONFIG_HOME/kiru/user.reg
[ -s "$hive" ] || fail "no settings hive at $hive"
head -1 "$hive" | grep -q '^REGEDIT4' || fail "hive is not REGEDIT4"
grep -q '^"mod10 active"=dword:00000001$' "$hive" || fail "hive lacks the full settings set"
echo "PASS"
