// The voices against a recording device (and once against an ALSA file PCM).
#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <numeric>

#include "platform/queue.h"
#include "sound/sound.h"
#include "sound/voice.h"
#include "tests/sound/fake_device.h"
#include "tests/sound/util.h"

namespace {

using soundtest::FakeDevice;
using soundtest::FakeDevices;
using soundtest::Hand;
using soundtest::MsSince;
using soundtest::WaitUntil;
using Clock = std::chrono::steady_clock;

constexpr long TRACK_BYTES = 358797 * 2;  // the embedded track, decoded
// How long a test waits for what must come, on a machine loaded with other tests
// (decoding the track twice under a sanitizer took over three seconds there).
constexpr int BUSY_MS = 30000;

class VoicesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    FakeDevices::Get().Clear();
    plat::SetWaveOutOpenerForTesting(FakeDevice::Open);
    for (plat::HWND& w : windows_) {
      w = plat::AllocWindowHandle();
      plat::BindWindow(w, plat::GetCurrentThreadId(), nullptr);
    }
    SoundStart();
  }
  void TearDown() override {
    SoundStop();
    SoundShutdown();
    for (plat::HWND w : windows_) plat::UnbindWindow(w);
    plat::SetWaveOutOpenerForTesting(nullptr);
  }

  // Asks a voice to play any sound name, as SoundPlay does for the track.
  static void Play(int voice, const char* name, plat::HWND window) {
    char* buffer = AllocSoundName(name);
    if (!plat::PostThreadMessage(SoundVoiceThreadId(voice), WM_VOICE_PLAY, window,
                                 reinterpret_cast<plat::LPARAM>(buffer)))
      std::free(buffer);
  }

  // WM_SOUND_DONE messages that reached each window so far, in order of arrival.
  std::vector<plat::HWND> TakeDone() {
    plat::MSG msg;
    while (plat::PeekMessage(&msg, 0, WM_SOUND_DONE, WM_SOUND_DONE, plat::PM_REMOVE)) {
      EXPECT_EQ(msg.wParam, 0u);
      EXPECT_EQ(msg.lParam, 0);
      done_.push_back(msg.hwnd);
    }
    return done_;
  }
  bool WaitForDone(size_t count, int ms = 3000) {
    return WaitUntil([&] { return TakeDone().size() >= count; }, ms);
  }
  static bool WaitForWrites(size_t device, size_t writes, int ms = 2000) {
    return WaitUntil([&] { return FakeDevices::Get().Record(device).writes.size() >= writes; }, ms);
  }
  static bool WaitForClose(size_t device, int ms = 1000) {
    return WaitUntil([&] { return FakeDevices::Get().Record(device).closed; }, ms);
  }
  static long Total(const soundtest::DeviceRecord& r) {
    return std::accumulate(r.writes.begin(), r.writes.end(), 0L);
  }

  plat::HWND windows_[3] = {};
  std::vector<plat::HWND> done_;
};

TEST_F(VoicesTest, PlaysTheTrackOnceEndingWithOneEmptyBuffer) {
  SoundPlay(windows_[0], 1);
  ASSERT_TRUE(WaitForDone(1));
  EXPECT_EQ(TakeDone(), std::vector<plat::HWND>{windows_[0]});
  ASSERT_TRUE(WaitForClose(0));
  auto r = FakeDevices::Get().Record(0);
  EXPECT_EQ(r.opener, SoundVoiceThreadId(1));
  EXPECT_EQ(Total(r), TRACK_BYTES);
  ASSERT_FALSE(r.writes.empty());
  EXPECT_EQ(r.writes.back(), 0u);
  EXPECT_EQ(std::count(r.writes.begin(), r.writes.end(), 0u), 1);
  for (size_t i = 0; i + 2 < r.writes.size(); ++i) EXPECT_EQ(r.writes[i], 4096u) << i;
}

TEST_F(VoicesTest, SoundWhoseLengthFillsWholeBuffersStillEndsWithOneEmptyBuffer) {
  soundtest::TempDir dir;
  std::string path = dir.File("whole.ogg");
  if (!soundtest::MakeOgg(path, 40 * 2048)) GTEST_SKIP() << "oggenc not installed";
  Play(0, path.c_str(), windows_[1]);
  // Limits for a machine busy with other tests; a passing run waits far less.
  ASSERT_TRUE(WaitForDone(1, BUSY_MS));
  ASSERT_TRUE(WaitForClose(0, BUSY_MS));
  auto r = FakeDevices::Get().Record(0);
  ASSERT_EQ(r.writes.size(), 41u);
  EXPECT_EQ(std::count(r.writes.begin(), r.writes.end(), 4096u), 40);
  EXPECT_EQ(r.writes.back(), 0u);
}

TEST_F(VoicesTest, RequestDuringPlaybackWaitsAndIsToldOnItsOwn) {
  FakeDevices::Get().SetHand(Hand::Nothing);
  SoundPlay(windows_[0], 0);
  ASSERT_TRUE(WaitForWrites(0, 5, BUSY_MS));
  SoundPlay(windows_[1], 0);
  std::this_thread::sleep_for(std::chrono::milliseconds(120));
  EXPECT_EQ(FakeDevices::Get().Count(), 1u);  // waits behind the playback
  EXPECT_EQ(FakeDevices::Get().Record(0).writes.size(), 5u);  // never more than five held

  FakeDevices::Get().SetHand(Hand::Everything);
  ASSERT_TRUE(WaitForDone(2, BUSY_MS));
  EXPECT_EQ(TakeDone(), (std::vector<plat::HWND>{windows_[0], windows_[1]}));
  ASSERT_TRUE(WaitForClose(1, BUSY_MS));
  auto first = FakeDevices::Get().Record(0), second = FakeDevices::Get().Record(1);
  EXPECT_LE(first.closedAt.time_since_epoch().count(), second.resetAt.time_since_epoch().count());
  EXPECT_EQ(Total(first), TRACK_BYTES);
  EXPECT_EQ(Total(second), TRACK_BYTES);
}

TEST_F(VoicesTest, StopCutsOffAtOnceWithoutNoticeAndForgetsRequests) {
  for (Hand hand : {Hand::Nothing, Hand::AllButEmpty}) {  // while filling, while draining
    SCOPED_TRACE(hand == Hand::Nothing ? "filling" : "draining");
    FakeDevices::Get().Clear();
    FakeDevices::Get().SetHand(hand);
    SoundPlay(windows_[0], 2);
    if (hand == Hand::Nothing) {
      ASSERT_TRUE(WaitForWrites(0, 5));
    } else {
      ASSERT_TRUE(WaitUntil([] {
        auto w = FakeDevices::Get().Record(0).writes;
        return !w.empty() && w.back() == 0;
      }, 3000));
    }
    SoundPlay(windows_[1], 2);  // pending
    auto stopAt = Clock::now();
    SoundStop();
    ASSERT_TRUE(WaitForClose(0));
    auto r = FakeDevices::Get().Record(0);
    EXPECT_TRUE(r.reset);
    // "At once" has no figure: a generous bound, so load or a sanitizer cannot fail it.
    EXPECT_LT((std::chrono::duration<double, std::milli>(r.resetAt - stopAt).count()), 500);
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    EXPECT_EQ(FakeDevices::Get().Count(), 1u);  // the pending request is gone
    EXPECT_TRUE(TakeDone().empty());
  }
  // The voice still plays what it is asked next.
  FakeDevices::Get().SetHand(Hand::Everything);
  SoundPlay(windows_[2], 2);
  ASSERT_TRUE(WaitForDone(1));
  EXPECT_EQ(TakeDone(), std::vector<plat::HWND>{windows_[2]});
}

TEST_F(VoicesTest, StopThatKeepsTheQueueCutsOnlyTheCurrentPlayback) {
  FakeDevices::Get().SetHand(Hand::Nothing);
  SoundPlay(windows_[0], 0);
  ASSERT_TRUE(WaitForWrites(0, 5));
  SoundPlay(windows_[1], 0);
  ASSERT_TRUE(plat::PostThreadMessage(SoundVoiceThreadId(0), WM_VOICE_STOP, 1, 0));
  ASSERT_TRUE(WaitForClose(0));
  ASSERT_TRUE(WaitUntil([] { return FakeDevices::Get().Count() == 2; }, 1000));  // the next starts
  FakeDevices::Get().SetHand(Hand::Everything);
  ASSERT_TRUE(WaitForDone(1));
  EXPECT_EQ(TakeDone(), std::vector<plat::HWND>{windows_[1]});
}

TEST_F(VoicesTest, NameNotFoundEndsOnlyThatVoice) {
  Play(1, "res://NOSUCHSOUND", windows_[1]);
  ASSERT_TRUE(WaitUntil([] {
    // An ended voice refuses posts; probe with a message that carries nothing.
    return !plat::PostThreadMessage(SoundVoiceThreadId(1), WM_VOICE_WAKE, 0, 0);
  }, 1000));
  SoundPlay(windows_[1], 1);  // dropped: the name buffer is freed (LeakSanitizer watches)
  SoundPlay(windows_[0], 0);
  SoundPlay(windows_[2], 2);
  ASSERT_TRUE(WaitForDone(2));
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  auto done = TakeDone();
  EXPECT_EQ(done.size(), 2u);
  EXPECT_EQ(std::count(done.begin(), done.end(), windows_[1]), 0);
  auto start = Clock::now();
  SoundShutdown();
  EXPECT_LT(MsSince(start), 200);
}

TEST_F(VoicesTest, ShutdownWhilePlayingEndsVoicesInOrderWithin200ms) {
  FakeDevices::Get().SetHand(Hand::Nothing);
  for (int v = 0; v < VOICE_COUNT; ++v) SoundPlay(windows_[v], v);
  ASSERT_TRUE(WaitUntil([] { return FakeDevices::Get().Count() == 3; }, 2000));
  for (size_t d = 0; d < 3; ++d) ASSERT_TRUE(WaitForWrites(d, 5));
  plat::ThreadId ids[3] = {SoundVoiceThreadId(0), SoundVoiceThreadId(1), SoundVoiceThreadId(2)};
  auto start = Clock::now();
  SoundShutdown();
  EXPECT_LT(MsSince(start), 200);
  std::vector<plat::ThreadId> order;
  {
    std::lock_guard<std::mutex> guard(FakeDevices::Get().lock);
    order = FakeDevices::Get().closeOrder;
  }
  EXPECT_EQ(order, (std::vector<plat::ThreadId>{ids[0], ids[1], ids[2]}));
  EXPECT_TRUE(TakeDone().empty());
  EXPECT_EQ(SoundVoiceThreadId(0), 0u);
  SoundPlay(windows_[0], 0);  // no voice runs: dropped
  SoundPlay(windows_[0], VOICE_COUNT);  // no such voice (AddressSanitizer watches)
  SoundPlay(windows_[0], -1);
}

TEST_F(VoicesTest, VoicesThatCannotOpenADeviceEndQuietly) {
  plat::SetWaveOutOpenerForTesting(
      [](const plat::WaveFormat&, plat::WaveOutProc, void*) -> std::unique_ptr<plat::WaveOut> { return nullptr; });
  for (int v = 0; v < VOICE_COUNT; ++v) SoundPlay(windows_[v], v);
  ASSERT_TRUE(WaitUntil([] {
    for (int v = 0; v < VOICE_COUNT; ++v)
      if (plat::PostThreadMessage(SoundVoiceThreadId(v), WM_VOICE_WAKE, 0, 0)) return false;
    return true;
  }, 1000));
  SoundStop();
  auto start = Clock::now();
  SoundShutdown();
  EXPECT_LT(MsSince(start), 200);  // no slower than with three voices playing
  EXPECT_TRUE(TakeDone().empty());
}

#ifdef _WIN32
constexpr bool THREAD_IDS_REUSED = true;  // an ended thread's id goes to the next new thread
#else
constexpr bool THREAD_IDS_REUSED = false;
#endif

// An output that never answers (a file PCM on a FIFO nobody reads blocks in its
// set-up) must not hold the shutdown: that voice is left behind, the others end.
struct StuckOutput {
  static inline std::mutex lock;
  static inline std::condition_variable changed;
  static inline bool entered = false, released = false;
  static std::unique_ptr<plat::WaveOut> Open(const plat::WaveFormat&, plat::WaveOutProc, void*) {
    std::unique_lock<std::mutex> lk(lock);
    entered = true;
    changed.notify_all();
    changed.wait(lk, [] { return released; });
    return nullptr;
  }
};

TEST_F(VoicesTest, VoiceStuckInItsOutputIsLeftBehindAtShutdown) {
  plat::SetWaveOutOpenerForTesting(StuckOutput::Open);
  SoundPlay(windows_[0], 0);
  {
    std::unique_lock<std::mutex> lk(StuckOutput::lock);
    ASSERT_TRUE(StuckOutput::changed.wait_for(lk, std::chrono::seconds(2), [] { return StuckOutput::entered; }));
  }
  plat::ThreadId stuck = SoundVoiceThreadId(0);
  plat::ThreadId others[2] = {SoundVoiceThreadId(1), SoundVoiceThreadId(2)};
  auto start = Clock::now();
  SoundShutdown();
  double ms = MsSince(start);
  EXPECT_GE(ms, 900);
  EXPECT_LT(ms, 1500);
  EXPECT_TRUE(SoundVoicesAbandoned());
  if (!THREAD_IDS_REUSED) {
    for (plat::ThreadId id : others) EXPECT_FALSE(plat::PostThreadMessage(id, WM_VOICE_WAKE, 0, 0));
  }

  // The player starts afresh, and the voice left behind ends once its output answers.
  plat::SetWaveOutOpenerForTesting(FakeDevice::Open);
  SoundStart();
  SoundPlay(windows_[1], 1);
  EXPECT_TRUE(WaitForDone(1));
  {
    std::lock_guard<std::mutex> guard(StuckOutput::lock);
    StuckOutput::released = true;
  }
  StuckOutput::changed.notify_all();
  EXPECT_TRUE(WaitUntil([stuck] { return !plat::PostThreadMessage(stuck, WM_VOICE_WAKE, 0, 0); }, 2000));
}

// Voice 0 is stuck in its output's set-up and uses up the shutdown's second; voice 1
// waits on an output that holds all its buffers, so it looks at its queue only once
// a wait slice. Told to quit after that second, voice 1 still gets its own slices:
// the shutdown returns with it ended and its output closed, not left behind.
TEST_F(VoicesTest, AVoiceToldToQuitAfterAStuckOneStillGetsItsSlices) {
  {
    std::lock_guard<std::mutex> guard(StuckOutput::lock);
    StuckOutput::entered = StuckOutput::released = false;
  }
  static std::atomic<int> opened;
  opened = 0;
  plat::SetWaveOutOpenerForTesting([](const plat::WaveFormat& f, plat::WaveOutProc p, void* c) {
    return opened++ == 0 ? StuckOutput::Open(f, p, c) : FakeDevice::Open(f, p, c);
  });
  FakeDevices::Get().SetHand(Hand::Nothing);
  SoundPlay(windows_[0], 0);
  {
    std::unique_lock<std::mutex> lk(StuckOutput::lock);
    ASSERT_TRUE(StuckOutput::changed.wait_for(lk, std::chrono::seconds(BUSY_MS / 1000), [] { return StuckOutput::entered; }));
  }
  SoundPlay(windows_[1], 1);
  ASSERT_TRUE(WaitForWrites(0, 5, BUSY_MS));
  plat::ThreadId stuck = SoundVoiceThreadId(0);
  SoundShutdown();
  EXPECT_TRUE(FakeDevices::Get().Record(0).closed);
  {
    std::lock_guard<std::mutex> guard(StuckOutput::lock);
    StuckOutput::released = true;
  }
  StuckOutput::changed.notify_all();
  // The voice left behind ends before the process does, as it would not in the saver.
  EXPECT_TRUE(WaitUntil([stuck] { return !plat::PostThreadMessage(stuck, WM_VOICE_WAKE, 0, 0); }, 2000));
}

// The real device on a file PCM: the track lasts as long as it sounds.
#ifndef _WIN32  // an ALSA file PCM; Windows plays through winmm
TEST(VoicesOnAlsa, TrackPlaysThroughAFilePcmInAboutItsLength) {
  soundtest::TempDir dir;
  std::string raw = dir.File("voice.raw");
  plat::SetWaveOutPcmName(("file:FILE=" + raw + ",FORMAT=raw").c_str());
  plat::HWND window = plat::AllocWindowHandle();
  plat::BindWindow(window, plat::GetCurrentThreadId(), nullptr);
  SoundStart();
  auto start = Clock::now();
  SoundPlay(window, 0);
  plat::MSG msg;
  bool done = WaitUntil([&] { return plat::PeekMessage(&msg, window, WM_SOUND_DONE, WM_SOUND_DONE, plat::PM_REMOVE); },
                        15000);
  double ms = MsSince(start);
  SoundStop();
  SoundShutdown();
  plat::UnbindWindow(window);
  plat::SetWaveOutPcmName(nullptr);
  ASSERT_TRUE(done);
  EXPECT_NEAR(ms, 8136, 600);
  EXPECT_GE(soundtest::ReadFile(raw).size(), static_cast<size_t>(TRACK_BYTES));
}
#endif

}  // namespace
