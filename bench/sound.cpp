// Sound costs: decoding the embedded track once, and three voices playing the track
// on the frame pump's schedule for ten seconds through a PCM that needs no sound card
// ("null", paced by the device's audio clock; $KIRU_PCM picks another).
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "platform/cputime.h"
#include "platform/waveout.h"
#include "sound/sound.h"
#include "sound/source.h"

namespace {

void BM_DecodeTrack(benchmark::State& state) {
  char buffer[4096];
  long long bytes = 0;
  for (auto _ : state) {
    OggVorbis_File vf;
    if (!OpenSoundSource("res://TESTOGG", &vf)) {
      state.SkipWithError("track not found");
      return;
    }
    int bitstream = 0;
    long n;
    while ((n = ov_read(&vf, buffer, sizeof buffer, 0, 2, 1, &bitstream)) > 0) bytes += n;
    ov_clear(&vf);
  }
  state.SetBytesProcessed(bytes);
  state.counters["audio_s"] = static_cast<double>(bytes) / state.iterations() / 88200.0;
}
BENCHMARK(BM_DecodeTrack)->Unit(benchmark::kMillisecond);

// Voice 0 at once, then the next voice every 3.2 s, as the frame pump asks.
void BM_ThreeVoicesTenSeconds(benchmark::State& state) {
  if (!std::getenv("KIRU_PCM")) plat::SetWaveOutPcmName("null");
  for (auto _ : state) {
    std::uint64_t cpu0 = plat::GetProcessCpuMicros();
    SoundStart();
    auto start = std::chrono::steady_clock::now();
    for (int cue = 0; cue < 4; ++cue) {
      std::this_thread::sleep_until(start + std::chrono::milliseconds(3200 * cue));
      SoundPlay(0, cue % VOICE_COUNT);
    }
    std::this_thread::sleep_until(start + std::chrono::seconds(10));
    SoundStop();
    SoundShutdown();
    double cpuSeconds = static_cast<double>(plat::GetProcessCpuMicros() - cpu0) / 1e6;
    state.counters["cpu_ms"] = cpuSeconds * 1000.0;
    state.counters["cpu_percent"] = cpuSeconds / 10.0 * 100.0;
  }
}
BENCHMARK(BM_ThreeVoicesTenSeconds)->Iterations(1)->UseRealTime()->MeasureProcessCPUTime()->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
