// The ALSA device against PCMs that need no sound card: "null" and the "file" plugin.
#include "platform/waveout.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <vector>

#include "tests/sound/util.h"

namespace {

using soundtest::MsSince;
using soundtest::WaitUntil;
using Clock = std::chrono::steady_clock;

struct Recorder {
  std::mutex lock;
  std::vector<plat::UINT> messages;
  std::vector<plat::WaveHeader*> done;
  std::vector<double> doneMs;  // since `start`
  Clock::time_point start = Clock::now();

  static void Proc(plat::UINT message, void* instance, plat::WaveHeader* header) {
    auto* r = static_cast<Recorder*>(instance);
    std::lock_guard<std::mutex> guard(r->lock);
    r->messages.push_back(message);
    if (message == plat::WOM_DONE) {
      r->done.push_back(header);
      r->doneMs.push_back(MsSince(r->start));
    }
  }
  size_t DoneCount() {
    std::lock_guard<std::mutex> guard(lock);
    return done.size();
  }
};

// 2048 mono frames: 46.4 ms at 44100 Hz.
struct Buffers {
  explicit Buffers(int count) : data(count, std::vector<char>(4096)), headers(count) {
    for (int i = 0; i < count; ++i) {
      for (size_t j = 0; j < 4096; ++j) data[i][j] = static_cast<char>(i * 7 + j);
      headers[i].data = data[i].data();
      headers[i].bufferLength = 4096;
    }
  }
  std::vector<std::vector<char>> data;
  std::vector<plat::WaveHeader> headers;
};

TEST(AlsaWaveOut, OpeningAMissingPcmFailsQuietly) {
  Recorder rec;
  plat::WaveFormat format;
  EXPECT_EQ(plat::OpenAlsaWaveOut("kiru_no_such_pcm", format, Recorder::Proc, &rec), nullptr);
  format.bitsPerSample = 8;  // only 16-bit PCM is played
  EXPECT_EQ(plat::OpenAlsaWaveOut("null", format, Recorder::Proc, &rec), nullptr);
  EXPECT_TRUE(rec.messages.empty());
}

TEST(AlsaWaveOut, BuffersComeBackInOrderAtTheSpeedOfSound) {
  soundtest::TempDir dir;
  std::string raw = dir.File("out.raw");
  std::string pcm = "file:FILE=" + raw + ",FORMAT=raw";
  Recorder rec;
  auto device = plat::OpenAlsaWaveOut(pcm.c_str(), plat::WaveFormat{}, Recorder::Proc, &rec);
  ASSERT_NE(device, nullptr);
  const int n = 8;
  Buffers b(n + 1);
  b.headers[n].bufferLength = 0;  // the closing empty buffer comes back last
  auto start = Clock::now();
  rec.start = start;
  for (auto& h : b.headers) {
    ASSERT_TRUE(device->PrepareHeader(&h));
    ASSERT_TRUE(device->Write(&h));
    EXPECT_FALSE(device->UnprepareHeader(&h));  // not while it is queued
  }
  ASSERT_TRUE(WaitUntil([&] { return rec.DoneCount() == n + 1; }, 3000));
  double elapsed = MsSince(start);
  // The file PCM takes the data at once; the device still lets it last as long as it sounds.
  EXPECT_GT(elapsed, n * 46.4 - 20);
  EXPECT_LT(elapsed, n * 46.4 + 500);
  for (int i = 0; i <= n; ++i) {
    EXPECT_EQ(rec.done[i], &b.headers[i]);
    EXPECT_EQ(b.headers[i].flags & (plat::WHDR_DONE | plat::WHDR_INQUEUE), plat::WHDR_DONE);
    EXPECT_TRUE(device->UnprepareHeader(&b.headers[i]));
  }
  // Each buffer is handed back about when it has sounded, not all at the end.
  EXPECT_LT(rec.doneMs[0], 150);
  device->Close();
  device->Close();
  EXPECT_EQ(rec.messages.front(), plat::WOM_OPEN);
  EXPECT_EQ(rec.messages.back(), plat::WOM_CLOSE);

  std::string written = soundtest::ReadFile(raw);
  ASSERT_GE(written.size(), n * 4096u);
  for (int i = 0; i < n; ++i) EXPECT_EQ(0, std::memcmp(written.data() + i * 4096, b.data[i].data(), 4096)) << i;
}

TEST(AlsaWaveOut, ResetHandsEveryBufferBackAtOnce) {
  Recorder rec;
  plat::WaveFormat stereo;
  stereo.channels = 2;
  stereo.blockAlign = 4;
  stereo.avgBytesPerSec = 44100 * 4;
  auto device = plat::OpenAlsaWaveOut("null", stereo, Recorder::Proc, &rec);
  ASSERT_NE(device, nullptr);
  // About 700 ms of queued sound: a bound loose enough for a loaded machine still
  // tells handing back at once from playing the queue out.
  const int queued = 30;
  Buffers b(queued);
  for (auto& h : b.headers) {
    device->PrepareHeader(&h);
    device->Write(&h);
  }
  auto start = Clock::now();
  device->Reset();
  EXPECT_LT(MsSince(start), 500);
  ASSERT_EQ(rec.DoneCount(), static_cast<size_t>(queued));  // before Reset returned
  for (int i = 0; i < queued; ++i) EXPECT_EQ(rec.done[i], &b.headers[i]);

  // The device plays on after a reset; Close hands back what is still queued.
  for (auto& h : b.headers) EXPECT_TRUE(device->Write(&h));
  start = Clock::now();
  device->Close();
  EXPECT_LT(MsSince(start), 500);
  EXPECT_EQ(rec.DoneCount(), static_cast<size_t>(2 * queued));
  EXPECT_FALSE(device->Write(&b.headers[0]));
  EXPECT_EQ(rec.messages.back(), plat::WOM_CLOSE);
}

TEST(AlsaWaveOut, OpenWaveOutTakesThePcmFromTheSetterThenTheEnvironment) {
  Recorder rec;
  setenv("KIRU_PCM", "null", 1);
  auto device = plat::OpenWaveOut(plat::WaveFormat{}, Recorder::Proc, &rec);
  EXPECT_NE(device, nullptr);
  device.reset();  // closes
  plat::SetWaveOutPcmName("kiru_no_such_pcm");
  EXPECT_EQ(plat::OpenWaveOut(plat::WaveFormat{}, Recorder::Proc, &rec), nullptr);
  plat::SetWaveOutPcmName(nullptr);
  unsetenv("KIRU_PCM");
}

}  // namespace
