# Shared set-up of the end-to-end scripts: a private Xvfb on a free display, a
# private settings hive, and cleanup of every process started here, by PID.
# Sourced by the *.sh scripts; $1 of the script is the kiru binary.
set -euo pipefail

KIRU=${1:?usage: $0 path/to/kiru}
PIDS=()
WORK=$(mktemp -d)

# Newest first, each awaited (5 s, then SIGKILL) before the next: kiru gets its
# SIGTERM while its X server is still there to let it close.
cleanup() {
  local i pid
  for ((i = ${#PIDS[@]} - 1; i >= 0; i--)); do
    pid=${PIDS[i]}
    # One that ended already may have handed its number to another program's process.
    [ "$(sed 's/.*) //' "/proc/$pid/stat" 2>/dev/null | cut -d' ' -f2)" = "$$" ] || continue
    kill "$pid" 2>/dev/null || true
    wait_exit "$pid" 5 || { kill -KILL "$pid" 2>/dev/null; wait "$pid" 2>/dev/null; } || true
  done
  rm -rf "$WORK"
}
trap cleanup EXIT

# A sanitizer build of the program reports the dialogs' font cache (fontconfig's) as
# leaked at exit: the library's, not ours.
printf 'leak:libfontconfig.so\n' >"$WORK/lsan.supp"
export LSAN_OPTIONS="suppressions=$WORK/lsan.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
# Mesa's driver synchronises its rasteriser threads with its own futex-based locks,
# which a thread-sanitizer build cannot see: races it reports inside the driver are not ours.
printf 'race:swrast_dri.so\n' >"$WORK/tsan.supp"
export TSAN_OPTIONS="suppressions=$WORK/tsan.supp${TSAN_OPTIONS:+:$TSAN_OPTIONS}"

fail() {
  echo "FAIL: $*" >&2
  [ -s "$WORK/kiru.log" ] && sed 's/^/kiru: /' "$WORK/kiru.log" >&2
  if [ -n "${KIRU_PID:-}" ]; then
    if kill -0 "$KIRU_PID" 2>/dev/null; then
      echo "kiru $KIRU_PID still runs" >&2
    else
      wait "$KIRU_PID" 2>/dev/null && echo "kiru ended with 0" >&2 || echo "kiru ended with $?" >&2
    fi
  fi
  exit 1
}

source "$(dirname "${BASH_SOURCE[0]}")/../../tools/xvfb-common.sh"

start_x() {  # [screen WxHxD] [further arguments to Xvfb]
  start_xvfb "$@" || fail "no Xvfb display could be started"
  PIDS+=("$XVFB_PID")
}

# A desktop as users have one: a window manager (openbox) and a panel (tint2), on
# the test's display, ended with the script. Call after setup_home (their own
# settings come from /etc/xdg, not from the private folders).
start_openbox() {
  local tool i
  for tool in openbox tint2 xprop; do
    command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
  done
  openbox --sm-disable --config-file /etc/xdg/openbox/rc.xml >/dev/null 2>&1 &
  PIDS+=("$!")
  for i in $(seq 100); do
    grep -q 'window id' <<<"$(xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null)" && break
    sleep 0.1
  done
  tint2 -c /etc/xdg/tint2/tint2rc >/dev/null 2>&1 &
  PIDS+=("$!")
  wait_for_window tint2 10 || fail "openbox and tint2 did not come up"
}

# The child of the root window that holds window $1 (itself, or a window
# manager's frame around it), in xwininfo's hexadecimal.
toplevel_of() {
  local id parent root
  id=$(printf '0x%x' "$1")
  root=$(xwininfo -root | awk '/Window id:/ {print $4; exit}')
  while parent=$(xwininfo -id "$id" -children 2>/dev/null | awk '/Parent window id:/ {print $4}') &&
    [ -n "$parent" ] && [ "$parent" != "$root" ]; do
    id=$parent
  done
  echo "$id"
}

# True when window $1 shows above window $2 (xwininfo lists the top first).
stacked_above() {
  local order upper lower
  order=$(xwininfo -root -children | awk '$1 ~ /^0x/ {print $1}')
  upper=$(grep -nx "$(toplevel_of "$1")" <<<"$order" | cut -d: -f1)
  lower=$(grep -nx "$(toplevel_of "$2")" <<<"$order" | cut -d: -f1)
  [ -n "$upper" ] && [ -n "$lower" ] && [ "$upper" -lt "$lower" ]
}

# Window $1's geometry: sets GX GY GW GH.
read_geometry() {
  eval "$(xdotool getwindowgeometry --shell "$1")"
  GX=$X GY=$Y GW=$WIDTH GH=$HEIGHT
}

# The pointer, as "X Y".
pointer_at() { xdotool getmouselocation --shell | awk -F= '/^[XY]=/ {printf "%s ", $2}'; }

# Settings that keep the run quiet and predictable: no sound card in CI, and the
# start-up frame-rate test (a modal warning on a slow software renderer) switched off.
write_quiet_hive() {
  cat >"$1" <<'REG'
REGEDIT4

[HKEY_CURRENT_USER\Software\Quillmoor\Kiru]
"enable sound"=dword:00000000
"disable_frame_warn"=dword:00000001
REG
}

# A test-only ALSA `default` in the home folder $1: a file PCM over null that appends
# what every open plays to the file $2, each open through its own pipe, so that the
# voices' data adds up.
capture_sound() {
  cat >"$1/.asoundrc" <<EOF_ASOUND
pcm.!default {
  type file
  slave.pcm "null"
  file "| cat >> $2"
  format "raw"
}
EOF_ASOUND
}

setup_home() {
  export HOME="$WORK/home" XDG_CONFIG_HOME="$WORK/config" XDG_CONFIG_DIRS="$WORK/xdg"
  mkdir -p "$HOME" "$XDG_CONFIG_HOME/kiru" "$XDG_CONFIG_DIRS"
  HIVE="$XDG_CONFIG_HOME/kiru/user.reg"
  write_quiet_hive "$HIVE"
}

# Another program's window to host Kiru: xev's, named kiruhost, at geometry $1.
# Only exposures: by default xev would redirect the mapping of child windows to
# itself. Sets HOST (its window id) and HOST_PID.
start_host_window() {
  xev -geometry "$1" -name kiruhost -event expose >/dev/null 2>&1 &
  HOST_PID=$!
  PIDS+=("$HOST_PID")
  HOST=$(window_id kiruhost) || fail "no host window"
}

# The id of the window with exactly this name, once it exists (at most 10 seconds).
window_id() {
  local id i
  for i in $(seq 1 100); do
    id=$(xdotool search --name "^$1\$" 2>/dev/null | head -1) && [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.1
  done
  return 1
}

# Full-screen saving, shown with its first frame drawn; its PID in KIRU_PID.
start_fullscreen_saver() {
  KIRU_TRACE_FIRST_FRAME=1 start_kiru /s
  wait_for_window "Screen Saver" || fail "no full-screen window"
  wait_for_first_frame
}

# Waits until the kiru started last has presented its first frame (it runs with
# KIRU_TRACE_FIRST_FRAME set).
wait_for_first_frame() {
  wait_until 30 grep -q "first frame presented" "$WORK/kiru.log" || fail "no frame drawn"
}

# True when more than $2 % of the rectangle $1's pixels (WxH+X+Y of the screen) are
# lit; the share in LIT.
lit_over() {
  LIT=$(lit_percent "$1")
  awk -v p="$LIT" -v m="$2" 'BEGIN {exit !(p > m)}'
}

# True when two pictures of the rectangle (WxH+X+Y of the screen) taken 0.3 s apart
# differ: the picture moves.
picture_moves() {
  import -window root -crop "$1" "$WORK/a.png"
  sleep 0.3
  import -window root -crop "$1" "$WORK/b.png"
  local diff
  diff=$(compare -metric AE "$WORK/a.png" "$WORK/b.png" null: 2>&1 || true)
  [ "${diff%% *}" != "0" ]
}

# Starts kiru with the given arguments in the background; its PID in KIRU_PID.
start_kiru() {
  : >"$WORK/kiru.log"  # emptied before it starts: nothing of the last run is waited on
  "$KIRU" "$@" >"$WORK/kiru.log" 2>&1 &
  KIRU_PID=$!
  PIDS+=("$KIRU_PID")
}

# Waits until a window with this exact name exists (at most $2 seconds, default 15).
wait_for_window() { wait_until "${2:-15}" window_shown "$1"; }

# Waits until no window has this exact name any more (at most $2 seconds, default 5).
wait_for_gone() { wait_until "${2:-5}" window_gone "$1"; }

# True when a window has exactly this name (or, for window_gone, none has).
window_shown() { grep -qF "\"$1\"" <<<"$(xwininfo -root -tree 2>/dev/null)"; }
window_gone() { ! window_shown "$1"; }

# Runs the rest of the line every 0.1 s until it succeeds, for at most $1 seconds.
wait_until() {
  local limit=$1 i
  shift
  for i in $(seq 1 $((limit * 10))); do
    "$@" && return 0
    sleep 0.1
  done
  return 1
}

# Waits for the process to end (at most $2 seconds); its status in EXIT_STATUS.
wait_exit() {
  local pid=$1 limit=${2:-10} i
  for i in $(seq 1 $((limit * 10))); do
    if ! kill -0 "$pid" 2>/dev/null; then
      set +e
      wait "$pid"
      EXIT_STATUS=$?
      set -e
      return 0
    fi
    sleep 0.1
  done
  return 1
}

# Share of pixels in the rectangle (WxH+X+Y of the screen) that are not black, in percent.
lit_percent() {
  import -window root -crop "$1" +repage "$WORK/shot.png"
  convert "$WORK/shot.png" -colorspace gray -threshold 2% -format '%[fx:int(mean*1000)/10]\n' info:
}

still_running() { kill -0 "$1" 2>/dev/null; }

# A DWORD value of the hive, as a signed decimal number ("" when missing).
hive_dword() {
  local hex
  hex=$(grep -a "^\"$1\"=dword:" "$HIVE" | tail -1 | sed 's/.*dword://' | tr -d '\r') || true
  [ -n "$hex" ] && echo $(((16#$hex ^ 0x80000000) - 0x80000000)) || true
}

# Only module $1 enabled in the hive, module 1 at its factory depth. Module 7 turns
# its own view, so a run of it always has a view to save.
enable_only_module() {
  local n
  echo '"mod1 depth"=dword:00001388' >>"$HIVE"
  for n in $(seq 1 10); do
    [ "$n" = "$1" ] || echo "\"mod$n active\"=dword:00000000" >>"$HIVE"
  done
}

# Splits the screen into monitors with RandR (xrandr --setmonitor), each "WxH+X+Y",
# a leading "*" marking the primary one; the first lies at the origin. The server
# keeps them after xrandr leaves (-noreset).
set_monitors() {
  local i=0 g
  for g in "$@"; do
    local mark=
    [ "${g:0:1}" = "*" ] && mark="*" && g=${g:1}
    local w=${g%%x*} rest=${g#*x}
    local h=${rest%%+*} x=${rest#*+}
    local y=${x#*+}
    x=${x%%+*}
    # The first takes the output's place.
    { [ $i = 0 ] && xrandr --setmonitor "${mark}M$i" "$w/300x$h/200+$x+$y" screen >/dev/null 2>&1; } ||
      xrandr --setmonitor "${mark}M$i" "$w/300x$h/200+$x+$y" none >/dev/null 2>&1 || fail "xrandr --setmonitor M$i $g"
    i=$((i + 1))
  done
}

# Reads a screenshot of the root and checks every monitor given ("WxH+X+Y"): its lit
# pixels' centre of mass lies within 5 % of its centre, and nothing is lit outside
# every monitor. Prints the figures; false on a miss.
monitors_centred() {
  import -window root "$WORK/monitors.png"
  convert "$WORK/monitors.png" -colorspace gray -depth 8 "$WORK/monitors.pgm"
  python3 - "$WORK/monitors.pgm" "$@" <<'PY'
import sys
data = open(sys.argv[1], 'rb').read()
magic, w, h, _, px = data.split(None, 4)
w, h = int(w), int(h)
mons = []
for g in sys.argv[2:]:
    size, x, y = g.split('+')
    mw, mh = size.split('x')
    mons.append((int(x), int(y), int(mw), int(mh)))
sums = [[0, 0, 0] for _ in mons]
outside = 0
for yy in range(h):
    row = px[yy * w:(yy + 1) * w]
    for xx in range(w):
        if row[xx] > 5:
            for i, (x, y, mw, mh) in enumerate(mons):
                if x <= xx < x + mw and y <= yy < y + mh:
                    s = sums[i]; s[0] += 1; s[1] += xx; s[2] += yy
                    break
            else:
                outside += 1
ok = outside == 0
for (x, y, mw, mh), (n, sx, sy) in zip(mons, sums):
    if n == 0:
        print(f"  {mw}x{mh}+{x}+{y}: nothing lit"); ok = False; continue
    dx = 100 * (sx / n - x - mw / 2) / mw
    dy = 100 * (sy / n - y - mh / 2) / mh
    print(f"  {mw}x{mh}+{x}+{y}: {n} lit, centre of mass off by {dx:+.1f} % x {dy:+.1f} %")
    ok = ok and abs(dx) <= 5 and abs(dy) <= 5
print(f"  lit outside every monitor: {outside}")
sys.exit(0 if ok else 1)
PY
}

# True when window $1 lies wholly inside the rectangle "WxH+X+Y".
inside_rect() {
  read_geometry "$1"
  local w=${2%%x*} rest=${2#*x}
  local h=${rest%%+*} x=${rest#*+}
  local y=${x#*+}
  x=${x%%+*}
  [ "$GX" -ge "$x" ] && [ "$GY" -ge "$y" ] && [ $((GX + GW)) -le $((x + w)) ] && [ $((GY + GH)) -le $((y + h)) ]
}

# Runs the rest of the line until it succeeds, for at most $1 seconds of wall time:
# for checks that take a while themselves (a screenshot through D-Bus).
within() {
  local end=$((${EPOCHREALTIME//[.,]/} + $1 * 1000000))
  shift
  until "$@"; do
    [ "${EPOCHREALTIME//[.,]/}" -lt "$end" ] || return 1
    sleep 0.1
  done
}

# A check whose failure is reported without ending the run, so that one run of a
# grouped script reports every check; end the script with checks_passed.
FAILED_CHECKS=()
expect() {  # DESCRIPTION COMMAND...
  local what=$1
  shift
  if "$@"; then
    echo "  ok: $what"
  else
    echo "  FAILED: $what" >&2
    FAILED_CHECKS+=("$what")
  fi
}
checks_passed() {
  [ ${#FAILED_CHECKS[@]} = 0 ] || fail "${#FAILED_CHECKS[@]} checks failed: $(printf '%s; ' "${FAILED_CHECKS[@]}")"
  echo "PASS"
}

# The Linux input code of a key, for the compositors' fake keyboards.
input_code() {
  case $1 in
    Escape) echo 1 ;;
    F1) echo 59 ;;
    Prior) echo 104 ;;
    *) fail "no input code for $1" ;;
  esac
}

# Picture $1 (an output's) shows the saver: black but for 1 to 60 % of lit pixels
# (a compositor's own background is not black), their centre of mass within 10 % of
# the picture's centre. Prints the figures, named $2.
picture_centred() {
  convert "$1" -scale 25% -colorspace gray -depth 8 "$1.pgm"
  python3 - "$1.pgm" "$2" <<'PY'
import sys
magic, w, h, _, px = open(sys.argv[1], 'rb').read().split(None, 4)
w, h = int(w), int(h)
lit = px[:w * h].translate(bytes(0 if v <= 5 else 1 for v in range(256)))
n = lit.count(1)
sx = sum(x * lit[x::w].count(1) for x in range(w))
sy = sum(y * lit[y * w:(y + 1) * w].count(1) for y in range(h))
if not w * h // 100 <= n <= w * h * 6 // 10:
    print(f"  {sys.argv[2]}: {n} of {w * h} lit"); sys.exit(1)
dx, dy = 100 * (sx / n - w / 2) / w, 100 * (sy / n - h / 2) / h
print(f"  {sys.argv[2]}: {100 * n // (w * h)} % lit, centre of mass off by {dx:+.1f} % x {dy:+.1f} %")
sys.exit(0 if abs(dx) <= 10 and abs(dy) <= 10 else 1)
PY
}

# Share of picture $1's pixels in the dialogs' grey (212, 208, 200), in tenths of a percent.
grey_share() {
  convert "$1" -fill white -fuzz 1% -opaque 'rgb(212,208,200)' -fill black +opaque white \
    -colorspace gray -format '%[fx:int(mean*1000)]\n' info:
}

# Pictures of outputs of different sizes show the picture undistorted alike: the
# view's height is fixed by its vertical field, so the shapes in it (the mean run of
# lit pixels across, over the mean run down) measure the same on every output,
# within 15 %. One drawn for another size and stretched to fit measures off by the
# ratio of the two aspects (4:3 on 16:9: a third more).
same_shape() {
  local f
  for f in "$@"; do convert "$f" -colorspace gray -depth 8 "$f.pgm"; done
  python3 - "${@/%/.pgm}" <<'PY'
import sys
dark = bytes(0 if v <= 5 else 1 for v in range(256))
def mean_run(lines):
    lit = runs = 0
    for line in lines:
        lit += line.count(1)
        runs += line.count(b'\0\1') + line.startswith(b'\1')
    return lit / max(runs, 1)
ratios = []
for path in sys.argv[1:]:
    magic, w, h, _, px = open(path, 'rb').read().split(None, 4)
    w, h = int(w), int(h)
    lit = px[:w * h].translate(dark)
    down = mean_run(lit[x::w] for x in range(w))
    ratios.append(mean_run(lit[y * w:(y + 1) * w] for y in range(h)) / down if down else 0)
print("  runs across / down: " + ", ".join(f"{r:.3f}" for r in ratios))
sys.exit(0 if max(ratios) <= 1.15 * min(ratios) else 1)
PY
}

# True when window $1's centre lies within a pixel of the rectangle "WxH+X+Y"'s.
centred_in() {
  read_geometry "$1"
  local w=${2%%x*} rest=${2#*x}
  local h=${rest%%+*} x=${rest#*+}
  local y=${x#*+}
  x=${x%%+*}
  local dx=$((2 * GX + GW - 2 * x - w)) dy=$((2 * GY + GH - 2 * y - h))
  [ "${dx#-}" -le 2 ] && [ "${dy#-}" -le 2 ]
}
