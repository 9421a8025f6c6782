#!/usr/bin/env bash
# Sound in full-screen saving, through the real `default` PCM of a test-only ALSA
# configuration (a file PCM over null in the private HOME's .asoundrc, each open
# appending through its own pipe, so that the voices' data adds up):
# with "enable sound" on, voice 0 plays at once and one more voice joins every 3.2 s,
# seen as the growth rate of the file (88200 bytes a second per voice); with it off,
# nothing is played.
source "$(dirname "$0")/common.bash"
start_x
setup_home
RAW=$WORK/sound.raw
capture_sound "$HOME" "$RAW"
sed -i 's/"enable sound"=dword:00000000/"enable sound"=dword:00000001/' "$HIVE"

now() { date +%s.%N; }
size() { stat -c %s "$RAW" 2>/dev/null || echo 0; }
# Bytes a second between two (time, size) samples, as a whole number.
rate() { awk -v t1="$1" -v s1="$2" -v t2="$3" -v s2="$4" 'BEGIN { printf "%d\n", (s2 - s1) / (t2 - t1) }'; }
sample_at() {  # seconds after t0; sets T and S
  local target
  target=$(awk -v a="$t0" -v b="$1" 'BEGIN { printf "%.3f\n", a + b }')
  while awk -v n="$(now)" -v t="$target" 'BEGIN { exit !(n < t) }'; do sleep 0.02; done
  T=$(now) S=$(size)
}

start_kiru /s
for _ in $(seq 1 300); do [ "$(size)" -gt 0 ] && break; sleep 0.02; done
[ "$(size)" -gt 0 ] || fail "voice 0 did not start with the saver"
t0=$(now)

sample_at 0.8; ta=$T sa=$S
sample_at 2.8; tb=$T sb=$S
sample_at 4.0; tc=$T sc=$S
sample_at 6.0; td=$T sd=$S
sample_at 7.0; te=$T se=$S
sample_at 7.9; tf=$T sf=$S
one=$(rate "$ta" "$sa" "$tb" "$sb")
two=$(rate "$tc" "$sc" "$td" "$sd")
three=$(rate "$te" "$se" "$tf" "$sf")
echo "bytes a second: $one with one voice, $two with two, $three with three"
[ "$one" -ge 50000 ] && [ "$one" -le 130000 ] || fail "one voice should play about 88200 bytes a second, not $one"
[ "$two" -ge 130000 ] && [ "$two" -le 230000 ] || fail "two voices should play about 176400 bytes a second, not $two"
[ "$three" -ge 200000 ] && [ "$three" -le 330000 ] || fail "three voices should play about 264600 bytes a second, not $three"
xdotool key Escape
wait_exit "$KIRU_PID" 10 || fail "Esc did not end the saver"
[ "$EXIT_STATUS" = 0 ] || fail "the saver ended with $EXIT_STATUS"

# Sound off: nothing reaches the device.
rm -f "$RAW"
sed -i 's/"enable sound"=dword:00000001/"enable sound"=dword:00000000/' "$HIVE"
start_fullscreen_saver
sleep 3
[ "$(size)" = 0 ] || fail "sound off, yet $(size) bytes were played"
xdotool key Escape
wait_exit "$KIRU_PID" 10 || fail "Esc did not end the saver"
echo "PASS"
