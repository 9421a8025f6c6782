#!/usr/bin/env bash
# The Debian package: cpack builds it, lintian finds no error or warning in it, the
# settings XML and the desktop entries (the menu's, the theme of mate-screensaver
# and xfce4-screensaver, the idle watcher's autostart, a conffile) are valid and name
# the installed program, and (as root, when no Kiru is installed yet) dpkg installs
# it with every file where XScreenSaver and the desktop look, `kiru` on PATH, the
# program finds all its libraries, and dpkg removes it again without a trace (the
# conffile goes with --purge).
set -euo pipefail
build=${KIRU_BINARY_DIR:?KIRU_BINARY_DIR names the build folder}
src=${KIRU_SOURCE_DIR:-$(cd "$(dirname "$0")/../.." && pwd)}

tmp=$(mktemp -d)
installed=
cleanup() {
  if [ -n "$installed" ]; then dpkg -r kiru >/dev/null 2>&1 || true; fi
  rm -rf "$tmp"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

xmllint --noout "$src/data/kiru.xml" || fail "kiru.xml is not well formed"

(cd "$build" && cpack -G DEB -B "$tmp/out" >"$tmp/cpack.log" 2>&1) || { cat "$tmp/cpack.log"; fail "cpack failed"; }
deb=$(ls "$tmp"/out/kiru_*.deb 2>/dev/null | head -1)
[ -n "$deb" ] || fail "cpack made no .deb"
echo "package: $(basename "$deb") ($(stat -c %s "$deb") bytes)"

expected=(
  /usr/libexec/xscreensaver/kiru
  /usr/bin/kiru
  /usr/share/xscreensaver/config/kiru.xml
  /usr/share/man/man6/kiru.6.gz
  /usr/share/applications/kiru-settings.desktop
  /usr/share/applications/screensavers/kiru.desktop
  /etc/xdg/autostart/kiru-watch.desktop
  /usr/share/icons/hicolor/64x64/apps/kiru.png
  /usr/share/doc/kiru/copyright
  /usr/share/doc/kiru/changelog.gz
)
dpkg-deb -c "$deb" | awk '{print substr($6, 2)}' >"$tmp/contents"
for path in "${expected[@]}"; do grep -qx "$path" "$tmp/contents" || fail "$path not in the package"; done
dpkg-deb -f "$deb" Depends | grep -qE 'libgl1|libGL' || fail "no GL library among the dependencies"
[ "$(dpkg-deb -I "$deb" conffiles)" = /etc/xdg/autostart/kiru-watch.desktop ] || fail "the autostart entry is not a conffile"

mkdir "$tmp/tree"
dpkg-deb -x "$deb" "$tmp/tree"
[ "$(readlink -f "$tmp/tree/usr/bin/kiru")" = "$tmp/tree/usr/libexec/xscreensaver/kiru" ] || fail "/usr/bin/kiru is not the program"
# entry, then what its Exec line must say
for pair in "usr/share/applications/kiru-settings.desktop:/usr/libexec/xscreensaver/kiru /c" \
  "usr/share/applications/screensavers/kiru.desktop:/usr/libexec/xscreensaver/kiru --root" \
  "etc/xdg/autostart/kiru-watch.desktop:/usr/libexec/xscreensaver/kiru --watch"; do
  entry=$tmp/tree/${pair%%:*}
  grep -qx "Exec=${pair#*:}" "$entry" || fail "${pair%%:*}: $(grep '^Exec=' "$entry"), not Exec=${pair#*:}"
  if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$entry" | grep -v ': hint: ' || true
    desktop-file-validate "$entry" >/dev/null || fail "${pair%%:*} is not a valid desktop entry"
  fi
done
grep -qx 'TryExec=/usr/libexec/xscreensaver/kiru' "$tmp/tree/etc/xdg/autostart/kiru-watch.desktop" ||
  fail "the autostart entry has no TryExec: a removed package's conffile would start a missing program"
dpkg-deb -f "$deb" Depends | grep -q 'fonts-dejavu-core' || fail "no font among the dependencies"

if command -v lintian >/dev/null; then
  lintian "$deb" >"$tmp/lintian.log" 2>&1 || true
  grep -v 'running with root privileges' "$tmp/lintian.log" || true
  if grep -q '^[EW]: ' "$tmp/lintian.log"; then fail "lintian reports errors or warnings"; fi
else
  echo "lintian not installed: package not linted"
fi

if [ "$(id -u)" != 0 ]; then
  echo "skipped: dpkg -i needs root"
  echo "PASS"
  exit 0
fi
if dpkg -s kiru >/dev/null 2>&1 || [ -e /usr/libexec/xscreensaver/kiru ]; then
  echo "skipped: a Kiru is installed on this machine already; not replacing it"
  echo "PASS"
  exit 0
fi

installed=1
dpkg -i "$deb" >"$tmp/dpkg.log" 2>&1 || { cat "$tmp/dpkg.log"; fail "dpkg -i failed"; }
dpkg -L kiru >"$tmp/listed"
for path in "${expected[@]}"; do
  grep -qx "$path" "$tmp/listed" || fail "dpkg -L kiru lacks $path"
  [ -e "$path" ] || fail "$path not on disk"
done
[ -x /usr/libexec/xscreensaver/kiru ] || fail "the program is not executable"
if grep -q 'not found' <<<"$(ldd /usr/libexec/xscreensaver/kiru)"; then
  ldd /usr/libexec/xscreensaver/kiru
  fail "the installed program misses libraries"
fi
xmllint --noout /usr/share/xscreensaver/config/kiru.xml || fail "installed kiru.xml is not well formed"
grep -q '^\.TH KIRU 6' <<<"$(zcat /usr/share/man/man6/kiru.6.gz)" || fail "man page unreadable"

[ "$(PATH=/usr/bin:/bin command -v kiru)" = /usr/bin/kiru ] || fail "kiru is not on PATH"

dpkg -r kiru >"$tmp/dpkg.log" 2>&1 || { cat "$tmp/dpkg.log"; fail "dpkg -r failed"; }
installed=
for path in "${expected[@]}"; do
  [ "$path" = /etc/xdg/autostart/kiru-watch.desktop ] && continue  # a conffile: kept until purged
  [ ! -e "$path" ] || fail "$path left after dpkg -r"
done
dpkg -s kiru 2>/dev/null | grep -q '^Status: install ok installed' && fail "still installed"
dpkg --purge kiru >/dev/null 2>&1 || true
[ ! -e /etc/xdg/autostart/kiru-watch.desktop ] || fail "the autostart entry left after dpkg --purge"
echo "PASS"
