# Sound in full-screen saving under Wine, through Wine's ALSA driver and a test-only
# `default` PCM in a private HOME: a file PCM over null whose every open (one per
# wave-out device, so one per playing voice) pipes into a file of its own through a
# reader that takes 88200 bytes a second, as a sound card would play 44100 Hz mono
# 16-bit. With "enable sound" on, voice 0 plays at once, one more voice joins every
# 3.2 s, three play together, and voice 0 plays the whole 8.1 s track once.
source "$(dirname "$0")/wine-common.bash"
reset_settings
wine reg add "$KEY" /v "enable sound" /t REG_DWORD /d 1 /f >/dev/null 2>&1
SOUND=$WORK/sound
mkdir -p "$SOUND" "$WORK/home"
cat >"$WORK/home/.asoundrc" <<EOF_ASOUND
pcm.!default {
  type file
  slave.pcm "null"
  file "| exec perl -e '\$|=1; while (read(STDIN, \$b, 4410)) { print \$b; select(undef, undef, undef, 0.05) }' > $SOUND/voice.\$\$"
  format "raw"
}
EOF_ASOUND

now() { date +%s.%N; }
count() { ls "$SOUND" | wc -l; }
# Voices' files in the order they were first seen (NAMES), and their sizes.
NAMES=()
see_new() {
  local f
  for f in $(ls "$SOUND"); do [[ " ${NAMES[*]} " == *" $f "* ]] || NAMES+=("$f"); done
}
sizes() { local f; for f in "${NAMES[@]}"; do printf '%s ' "$(stat -c %s "$SOUND/$f")"; done; }

HOME=$WORK/home start_scr /s
for _ in $(seq 1 600); do [ "$(count)" -gt 0 ] && break; sleep 0.05; done
[ "$(count)" -gt 0 ] || fail "no voice started with the saver"
t0=$(now)
see_new
starts=(0)
growing=0 previous=
while [ ${#starts[@]} -lt 3 ] || [ "$growing" -lt 3 ]; do
  elapsed=$(awk -v a="$t0" -v b="$(now)" 'BEGIN { printf "%.2f", b - a }')
  awk -v e="$elapsed" 'BEGIN { exit !(e > 12) }' && break
  see_new
  while [ ${#NAMES[@]} -gt ${#starts[@]} ]; do starts+=("$elapsed"); done
  current=($(sizes))
  if [ -n "$previous" ]; then  # voices whose files grew over the last half second
    old=($previous) growing=0
    for i in "${!current[@]}"; do [ "${current[i]}" -gt "${old[i]:-0}" ] && growing=$((growing + 1)); done
  fi
  previous=${current[*]}
  sleep 0.5
done
echo "voices started at ${starts[*]} s; $growing played together"
[ ${#starts[@]} -ge 3 ] || fail "only ${#starts[@]} voices started in 12 s"
for i in 1 2; do
  gap=$(awk -v a="${starts[i-1]}" -v b="${starts[i]}" 'BEGIN { print b - a }')
  awk -v g="$gap" 'BEGIN { exit !(g >= 2.7 && g <= 4.2) }' || fail "voice $i started $gap s after voice $((i - 1)), not about 3.2 s"
done
[ "$growing" -eq 3 ] || fail "three voices never played together"

# Voice 0 has played the track once: 8.136 s of 88200 bytes a second.
for _ in $(seq 1 60); do
  first=$(sizes | cut -d' ' -f1)
  sleep 0.5
  [ "$(sizes | cut -d' ' -f1)" = "$first" ] && break
done
echo "voice 0 played $first bytes"
[ "$first" -ge 680000 ] && [ "$first" -le 800000 ] || fail "voice 0 played $first bytes, not the 717600 of the track"
end_with_key Escape
echo "ok: voice 0 at once, one more every 3.2 s, three together, the whole track on voice 0"
