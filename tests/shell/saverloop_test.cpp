#include <GL/gl.h>

#include <csignal>
#include <cstring>
#include <string>

#include "tests/support/harness.h"
#include "shell/saverstate.h"
#include "platform/headless/headless_offscreen.h"
#include "platform/waveout.h"
#include "platform/window.h"
#include "scene/quadric.h"
#include "settings/registry.h"
#include "platform/closesignal.h"
#include "sound/voice.h"
#include "ui/keys.h"

namespace {

using harness::g_dwNow;

// What reached the saver window's procedure, and how many frames had been shown then.
struct Seen {
  plat::UINT message;
  int presented;
};
std::vector<Seen> g_Seen;

plat::LRESULT Recording(plat::HWND window, plat::UINT message, plat::WPARAM wParam, plat::LPARAM lParam) {
  g_Seen.push_back(Seen{message, plat::headless::PresentedFrames()});
  return SaverHandler(window, message, wParam, lParam);
}

plat::LRESULT RecordingDialog(plat::HWND, plat::UINT message, plat::WPARAM, plat::LPARAM) {
  g_Seen.push_back(Seen{message, plat::headless::PresentedFrames()});
  return 0;
}

class FramePumpTest : public harness::Test {
 protected:
  void SetUp() override {
    harness::Test::SetUp();
    g_Seen.clear();
  }

  plat::HWND MakeSaver(plat::WindowKind kind = plat::WindowKind::FullScreen) {
    plat::WindowSpec desc;
    desc.kind = kind;
    desc.width = 160;
    desc.height = 120;
    desc.proc = Recording;
    plat::HWND window = plat::CreateWindow(desc);
    g_hSaverWnd = window;
    return window;
  }

  // A saver window with its context, its start-up messages taken, in saver mode;
  // frames are then driven by hand.
  plat::HWND StartSaverFrames(bool fullScreen) {
    plat::HWND window = MakeSaver(plat::WindowKind::TopLevel);
    EXPECT_NE(g_hRC, 0u);
    harness::DrainQueue();
    g_bSaverMode = true;
    g_bFullScreen = fullScreen;
    return window;
  }

  // Takes the next message of the window and dispatches it.
  plat::UINT DispatchNext(plat::HWND window) {
    plat::MSG msg;
    if (!plat::PeekMessage(&msg, window, 0, 0, plat::PM_REMOVE)) return 0;
    plat::DispatchMessage(&msg);
    return msg.message;
  }

  // A saver-mode frame with a context current, the clock moved on by `ms` first.
  void Frame(plat::HWND window, plat::DWORD ms = 40) {
    g_dwNow += ms;
    RenderFrame(window, SaverFrameCalls());
  }

  void ReadColour(float rgba[4]) { glGetFloatv(GL_CURRENT_COLOR, rgba); }
};

TEST_F(FramePumpTest, CreationStartsThePumpAndFullScreenIsTheDesktopWidth) {
  plat::HWND saver = MakeSaver();
  ASSERT_NE(saver, 0u);
  EXPECT_TRUE(g_bSaverMode);
  EXPECT_TRUE(g_bFullScreen);
  EXPECT_NE(g_hRC, 0u);
  EXPECT_EQ(g_dwModuleStart, g_dwNow);
  auto queued = harness::Queued(saver);
  ASSERT_EQ(queued.size(), 1u);
  EXPECT_EQ(queued[0].message, FramePump);

  g_bClosed = true;  // keep the first window's close out of the way
  DestroyGLContext();
  ResetRunStateForTesting();
  MakeSaver(plat::WindowKind::TopLevel);  // 160 wide on a 1024 desktop: the preview
  EXPECT_FALSE(g_bFullScreen);

  DestroyGLContext();
  ResetRunStateForTesting();
  // Over the screen it is full screen whatever the monitors say: the one here reaches past it.
  plat::MonitorInfo beyond;
  beyond.rect = beyond.work = plat::RECT{0, 0, 1920, 1080};
  plat::headless::SetMonitorsForTesting({beyond});
  MakeSaver();
  EXPECT_TRUE(g_bFullScreen);
}

// The voices start with full-screen saving and sound on, never in a preview.
TEST_F(FramePumpTest, VoicesStartOnlyForFullScreenSavingWithSoundOn) {
  plat::SetWaveOutOpenerForTesting(
      [](const plat::WaveFormat&, plat::WaveOutProc, void*) -> std::unique_ptr<plat::WaveOut> { return nullptr; });
  SelectRegKey(0, KIRU_KEY);
  for (bool sound : {true, false}) {
    for (plat::WindowKind kind : {plat::WindowKind::FullScreen, plat::WindowKind::TopLevel}) {
      RegWriteDword("enable sound", sound ? 1 : 0);
      plat::HWND saver = MakeSaver(kind);
      bool started = SoundVoiceThreadId(1) != 0;
      plat::SendMessage(saver, plat::WM_CLOSE, 0, 0);
      ResetRunStateForTesting();
      EXPECT_EQ(started, sound && kind == plat::WindowKind::FullScreen) << sound << " " << static_cast<int>(kind);
    }
  }
  plat::SetWaveOutOpenerForTesting(nullptr);
}

// XScreenSaver gives each monitor a process and a window of its own: each is full
// screen, and only the one over the primary monitor (here the right one) sounds.
TEST_F(FramePumpTest, OfOnePerMonitorWindowsOnlyThePrimarysSounds) {
  plat::SetWaveOutOpenerForTesting(
      [](const plat::WaveFormat&, plat::WaveOutProc, void*) -> std::unique_ptr<plat::WaveOut> { return nullptr; });
  plat::headless::SetDesktopSizeForTesting(320, 120);
  plat::MonitorInfo left, right;
  left.rect = left.work = plat::RECT{0, 0, 160, 120};
  right.rect = right.work = plat::RECT{160, 0, 320, 120};
  right.primary = true;
  plat::headless::SetMonitorsForTesting({left, right});
  SelectRegKey(0, KIRU_KEY);
  RegWriteDword("enable sound", 1);
  for (int x : {0, 160}) {
    plat::WindowSpec desc;
    desc.kind = plat::WindowKind::TopLevel;
    desc.x = x;
    desc.width = 160;
    desc.height = 120;
    desc.proc = Recording;
    plat::HWND saver = g_hSaverWnd = plat::CreateWindow(desc);
    bool started = SoundVoiceThreadId(1) != 0;
    bool fullScreen = g_bFullScreen;
    plat::SendMessage(saver, plat::WM_CLOSE, 0, 0);
    ResetRunStateForTesting();
    EXPECT_TRUE(fullScreen) << x;
    EXPECT_EQ(started, x == 160) << x;
  }
  plat::SetWaveOutOpenerForTesting(nullptr);
}

TEST_F(FramePumpTest, DisableFrameWarnIsReadAtCreation) {
  SelectRegKey(0, KIRU_KEY);
  RegWriteDword("disable_frame_warn", 2);
  MakeSaver();
  EXPECT_FALSE(g_bNoFrameWarn);
  DestroyGLContext();
  RegWriteDword("disable_frame_warn", 1);
  MakeSaver();
  EXPECT_TRUE(g_bNoFrameWarn);
  RegWriteDword("disable_frame_warn", 0);
}

TEST_F(FramePumpTest, FailedContextPostsNoPump) {
  plat::headless::SetFbConfigsForTesting({}, 0);
  plat::HWND saver = MakeSaver();
  EXPECT_EQ(harness::g_Boxes.size(), 1u);
  EXPECT_TRUE(harness::Queued(saver).empty());
  // No pump takes the keys then; they still end saving as over a picture.
  plat::SendMessage(saver, plat::WM_KEYDOWN, plat::VK_PRIOR, 0);
  EXPECT_TRUE(harness::Queued(saver).empty());
  plat::SendMessage(saver, plat::WM_KEYDOWN, plat::VK_ESCAPE, 0);
  auto queued = harness::Queued(saver);
  ASSERT_EQ(queued.size(), 1u);
  EXPECT_EQ(queued[0].message, plat::WM_CLOSE);
}

TEST_F(FramePumpTest, AHostShrunkToUnderHalfItsLargestSizeGetsAFreshContext) {
  plat::HWND saver = MakeSaver(plat::WindowKind::TopLevel);
  plat::GLRC first = g_hRC;
  auto resize = [&](int w, int h) { plat::SendMessage(saver, plat::WM_SIZE, 0, (h << 16) | w); };
  resize(1000, 1000);
  resize(800, 700);  // 560000 pixels: not under half of 1000000
  EXPECT_EQ(g_hRC, first);
  resize(700, 700);  // 490000: under half
  EXPECT_NE(g_hRC, first);
  EXPECT_NE(g_hRC, 0u);
  EXPECT_FALSE(g_bQuit);
  int presented = plat::headless::PresentedFrames();
  for (int i = 0; i < 20 && DispatchNext(saver) != FramePump; ++i) {
  }
  EXPECT_GT(plat::headless::PresentedFrames(), presented);
}

TEST_F(FramePumpTest, DrainsAllInputBeforeTheFrameThenPostsTheNext) {
  plat::HWND saver = MakeSaver();
  g_fDepth = 40.0f;  // below 50 the zoom step is 0.3 (module 1's factory depth is 50)
  float depth = g_fDepth;
  plat::PostMessage(saver, plat::WM_USER + 1, 0, 0);
  plat::PostMessage(saver, plat::WM_KEYDOWN, plat::VK_PRIOR, 0);
  plat::PostMessage(saver, plat::WM_KEYUP, plat::VK_PRIOR, 0);
  plat::PostMessage(saver, plat::WM_USER + 2, 0, 0);
  g_Seen.clear();

  EXPECT_EQ(DispatchNext(saver), FramePump);
  // Key messages go to the key handler, not the procedure; the others are dispatched.
  ASSERT_EQ(g_Seen.size(), 3u);
  EXPECT_EQ(g_Seen[1].message, plat::WM_USER + 1);
  EXPECT_EQ(g_Seen[2].message, plat::WM_USER + 2);
  EXPECT_EQ(g_Seen[1].presented, 0);
  EXPECT_EQ(g_Seen[2].presented, 0);
  EXPECT_FLOAT_EQ(g_fDepth, depth + 0.3f);
  EXPECT_EQ(plat::headless::PresentedFrames(), 1);
  EXPECT_EQ(plat::headless::RaiseCount(saver), 1);
  auto queued = harness::Queued(saver);
  ASSERT_EQ(queued.size(), 1u);
  EXPECT_EQ(queued[0].message, FramePump);

  g_bPreview = true;  // hosted (--window, a preview): it stacks as its desktop says
  EXPECT_EQ(DispatchNext(saver), FramePump);
  EXPECT_EQ(plat::headless::PresentedFrames(), 2);
  EXPECT_EQ(plat::headless::RaiseCount(saver), 1);
  g_bPreview = false;
}

TEST_F(FramePumpTest, CloseDuringDrainIsRepostedOnceAndTornDownOnce) {
  plat::HWND saver = MakeSaver();
  plat::PostMessage(saver, plat::WM_CLOSE, 0, 0);
  plat::PostMessage(saver, plat::WM_USER + 3, 0, 0);
  g_Seen.clear();

  EXPECT_EQ(DispatchNext(saver), FramePump);
  ASSERT_EQ(g_Seen.size(), 1u);  // the drain stops at the close request
  EXPECT_TRUE(g_bQuit);
  EXPECT_FALSE(g_bClosed);
  EXPECT_EQ(plat::headless::PresentedFrames(), 0);
  auto queued = harness::Queued(saver);
  ASSERT_EQ(queued.size(), 2u);
  EXPECT_EQ(queued[0].message, plat::WM_USER + 3);
  EXPECT_EQ(queued[1].message, plat::WM_CLOSE);

  g_fDepth = 77.0f;
  DispatchNext(saver);
  EXPECT_EQ(DispatchNext(saver), plat::WM_CLOSE);
  EXPECT_TRUE(g_bClosed);
  EXPECT_EQ(g_hRC, 0u);
  EXPECT_FLOAT_EQ(g_Modules[g_nModule].depth, 77.0f);  // the view was stored

  // A later close request repeats nothing, and a stray pump draws nothing.
  g_fDepth = 12.0f;
  plat::PostMessage(saver, plat::WM_CLOSE, 0, 0);
  plat::PostMessage(saver, FramePump, 0, 0);
  DispatchNext(saver);
  DispatchNext(saver);
  EXPECT_FLOAT_EQ(g_Modules[g_nModule].depth, 77.0f);
  EXPECT_TRUE(harness::Queued(saver).empty());
  EXPECT_EQ(plat::headless::PresentedFrames(), 0);
}

TEST_F(FramePumpTest, EscapeInTheDrainEndsWithOneClose) {
  plat::HWND saver = MakeSaver();
  plat::PostMessage(saver, plat::WM_KEYDOWN, plat::VK_ESCAPE, 0);
  plat::PostMessage(saver, plat::WM_KEYDOWN, plat::VK_ESCAPE, 0);
  DispatchNext(saver);
  auto queued = harness::Queued(saver);
  ASSERT_EQ(queued.size(), 2u);  // the drain stopped after the first Esc
  // Retrieval order: posted messages come before input, as in Win32. (Keys posted
  // here are input only to the portable queue; Win32 keeps them as posted messages.)
#ifndef _WIN32
  EXPECT_EQ(queued[0].message, plat::WM_CLOSE);
  EXPECT_EQ(queued[1].message, plat::WM_KEYDOWN);
#endif
}

TEST_F(FramePumpTest, DialogPumpPassesKeysToTheEditFieldWhileItHasFocus) {
  plat::WindowSpec desc;
  desc.width = 200;
  desc.height = 150;
  desc.proc = RecordingDialog;
  plat::HWND dialog = plat::CreateWindow(desc);
  ASSERT_TRUE(CreateGLContext(dialog, 32));
  g_bSaverMode = false;
  StartFramePump(dialog);
  g_bEditFocus = true;
  plat::PostMessage(dialog, plat::WM_KEYDOWN, plat::VK_PRIOR, 0);
  float depth = g_fDepth;
  g_Seen.clear();

  plat::MSG msg;
  ASSERT_TRUE(plat::PeekMessage(&msg, dialog, 0, 0, plat::PM_REMOVE));
  ASSERT_EQ(msg.message, FramePump);
  RunFramePump(dialog, true);
  ASSERT_EQ(g_Seen.size(), 1u);
  EXPECT_EQ(g_Seen[0].message, plat::WM_KEYDOWN);
  EXPECT_FLOAT_EQ(g_fDepth, depth);
  EXPECT_EQ(plat::headless::RaiseCount(dialog), 0);
  EXPECT_EQ(plat::headless::PresentedFrames(), 1);
}

TEST(Fades, OutReachesZeroOnTheSixtyFirstStepAndInOneOnTheSixtieth) {
  ASSERT_TRUE(plat::headless::MakeOffscreenContext(4, 4));
  ResetFade();
  float previous = 1.0f;
  for (int step = 1; step <= 60; ++step) {
    float v = FadeOutStep();
    EXPECT_GT(v, 0.0f) << step;
    EXPECT_LT(v, previous) << step;
    previous = v;
  }
  EXPECT_EQ(FadeOutStep(), 0.0f);
  EXPECT_EQ(FrameStateForTesting().fadeAngle, 0.0f);
  float colour[4];
  glGetFloatv(GL_CURRENT_COLOR, colour);
  EXPECT_EQ(colour[0], 0.0f);
  EXPECT_EQ(colour[3], 1.0f);

  for (int step = 1; step <= 59; ++step) EXPECT_LT(FadeInStep(), 1.0f) << step;
  EXPECT_EQ(FadeInStep(), 1.0f);
  EXPECT_EQ(FrameStateForTesting().fadeAngle, 0.0f);
  plat::headless::DestroyOffscreenContext();
}

class Cycling : public FramePumpTest {
 protected:
  void SetUp() override {
    FramePumpTest::SetUp();
    window_ = StartSaverFrames(false);
    g_nCycleSeconds = 0;
    g_dwModuleStart = g_dwNow;
    harness::SetModules({2, 5}, 2);
  }
  plat::HWND window_ = 0;
};

TEST_F(Cycling, OneEnabledModuleNeverFades) {
  harness::SetModules({4}, 4);
  for (int i = 0; i < 300; ++i) Frame(window_);
  EXPECT_EQ(FrameStateForTesting().fadeState, 0);
  EXPECT_EQ(g_nModule, 4);
}

TEST_F(Cycling, CycleTimeZeroFadesAtTheFirstElapsedMillisecond) {
  Frame(window_, 0);
  EXPECT_EQ(FrameStateForTesting().fadeState, 0);
  Frame(window_, 1);
  EXPECT_EQ(FrameStateForTesting().fadeState, 2);
}

TEST_F(Cycling, FadesOutSwitchesFadesInAndRestartsTheTimer) {
  g_fDepth = 99.0f;  // the adjusted view goes back into the table at the switch
  for (int i = 0; i < 60; ++i) Frame(window_);
  EXPECT_EQ(g_nModule, 2);
  EXPECT_EQ(FrameStateForTesting().fadeState, 2);
  Frame(window_);
  EXPECT_EQ(g_nModule, 5);
  EXPECT_EQ(FrameStateForTesting().fadeState, 1);
  EXPECT_FLOAT_EQ(g_Modules[2].depth, 99.0f);
  EXPECT_FLOAT_EQ(g_fDepth, g_Modules[5].depth);
  for (int i = 0; i < 59; ++i) Frame(window_);
  EXPECT_EQ(FrameStateForTesting().fadeState, 1);
  Frame(window_);
  EXPECT_EQ(FrameStateForTesting().fadeState, 0);
  EXPECT_EQ(g_dwModuleStart, g_dwNow);
  EXPECT_EQ(plat::headless::PresentedFrames(), 121);
}

TEST_F(Cycling, ManualSwitchMidFadeRestoresFullBrightness) {
  g_bFullScreen = true;
  g_bNoFrameWarn = true;
  for (int i = 0; i < 10; ++i) Frame(window_);
  ASSERT_EQ(FrameStateForTesting().fadeState, 2);
  float colour[4];
  ReadColour(colour);
  ASSERT_LT(colour[0], 1.0f);
  HandleKey(window_, plat::WM_KEYDOWN, plat::VK_RETURN);
  EXPECT_EQ(FrameStateForTesting().fadeState, 0);
  EXPECT_EQ(FrameStateForTesting().fadeAngle, 0.0f);
  EXPECT_EQ(g_dwModuleStart, g_dwNow);
  ReadColour(colour);
  EXPECT_EQ(colour[0], 1.0f);
  EXPECT_EQ(colour[1], 1.0f);
  EXPECT_EQ(colour[2], 1.0f);
}

TEST_F(Cycling, ModuleTimerSurvivesTickWrap) {
  g_nCycleSeconds = 1;
  g_dwNow = 0xFFFFFF00u;
  g_dwModuleStart = g_dwNow;
  FrameStateForTesting().lastFrame = g_dwNow;
  for (int i = 0; i < 25; ++i) Frame(window_);  // 1000 ms, across the wrap
  EXPECT_EQ(FrameStateForTesting().fadeState, 0);
  Frame(window_);
  EXPECT_EQ(FrameStateForTesting().fadeState, 2);
}

TEST_F(Cycling, SoundCueEvery3200MsAcrossTheWrapAndStopsWhileOff) {
  g_bSoundOn = true;
  g_dwNow = 0xFFFFF000u;
  FrameStateForTesting().lastFrame = g_dwNow - 40;
  Frame(window_, 0);  // first frame of the process: cue timer starts
  EXPECT_EQ(FrameStateForTesting().cueTimer, 0xFFFFF000u);
  for (int i = 0; i < 79; ++i) Frame(window_);  // 3160 ms
  EXPECT_EQ(FrameStateForTesting().cueIndex, 0);
  Frame(window_);  // 3200 ms, past the wrap
  EXPECT_EQ(FrameStateForTesting().cueIndex, 1);
  EXPECT_EQ(FrameStateForTesting().cueTimer, 0xFFFFF000u + 3200u);
  g_dwNow += 3200;
  Frame(window_, 0);
  EXPECT_EQ(FrameStateForTesting().cueIndex, 2);
  g_dwNow += 3200;
  Frame(window_, 0);
  EXPECT_EQ(FrameStateForTesting().cueIndex, 0);
  g_bSoundOn = false;
  g_dwNow += 6400;
  Frame(window_, 0);
  EXPECT_EQ(FrameStateForTesting().cueIndex, 0);
}

class FrameRate : public FramePumpTest {
 protected:
  void SetUp() override {
    FramePumpTest::SetUp();
    window_ = StartSaverFrames(true);
    harness::SetModules({3}, 3);
    SetHardwareWarningForTesting(Warn);
    g_nWarnings = 0;
    g_bVerdict = true;
    g_bCloseWhileShown = false;
    SelectRegKey(window_, KIRU_KEY);
    RegWriteDword("disable_frame_warn", 0);
  }
  void TearDown() override {
    RegWriteDword("disable_frame_warn", 0);
    FramePumpTest::TearDown();
  }
  void Frames(int count, plat::DWORD interval) {
    for (int i = 0; i < count; ++i) Frame(window_, interval);
  }
  static void Warn(plat::HWND owner) {
    ++g_nWarnings;
    g_bKeepRunning = g_bVerdict;
    // The dialog's loop dispatches what reaches the saver meanwhile.
    if (g_bCloseWhileShown) plat::SendMessage(owner, plat::WM_CLOSE, 0, 0);
  }
  static inline int g_nWarnings;
  static inline bool g_bVerdict;
  static inline bool g_bCloseWhileShown;
  plat::HWND window_ = 0;
};

TEST_F(FrameRate, TwentyOrMorePassesForGood) {
  Frames(12, 55);  // nine intervals of 55 ms taken as ten: 20.2 per second
  EXPECT_TRUE(g_bNoFrameWarn);
  EXPECT_EQ(RegReadDword("disable_frame_warn", 0), 1);
  EXPECT_EQ(g_nWarnings, 0);
}

TEST_F(FrameRate, BelowTenWarnsAndContinuesOrQuits) {
  Frames(11, 112);
  EXPECT_EQ(g_nWarnings, 0);
  Frames(1, 112);  // 1008 ms taken as ten intervals: 9.92 per second
  EXPECT_EQ(g_nWarnings, 1);
  EXPECT_NEAR(g_fMeasuredFps, 9.92f, 0.01f);
  EXPECT_TRUE(FrameStateForTesting().rateTestDone);
  EXPECT_FALSE(g_bNoFrameWarn);
  Frames(20, 112);
  EXPECT_EQ(g_nWarnings, 1);
  EXPECT_EQ(plat::headless::PresentedFrames(), 32);

  FrameStateForTesting().rateTestDone = false;
  FrameStateForTesting().frameCount = 0;
  g_bVerdict = false;
  int presented = plat::headless::PresentedFrames();
  Frames(12, 112);
  EXPECT_EQ(g_nWarnings, 2);
  EXPECT_TRUE(g_bQuit);
  EXPECT_FALSE(FrameStateForTesting().rateTestDone);
  EXPECT_EQ(plat::headless::PresentedFrames(), presented + 11);  // the 12th ended at once
  auto queued = harness::Queued(window_);
  ASSERT_EQ(queued.size(), 1u);
  EXPECT_EQ(queued[0].message, plat::WM_CLOSE);
}

TEST_F(FrameRate, SaverClosedWhileTheWarningIsOpenDrawsNoMore) {
  g_bCloseWhileShown = true;
  Frames(11, 112);
  int drawn = 0;
  SetQuadricObserver([&drawn](const QuadricDraw&) { ++drawn; });
  Frames(1, 112);
  SetQuadricObserver({});
  EXPECT_EQ(g_nWarnings, 1);
  EXPECT_TRUE(g_bClosed);
  EXPECT_EQ(drawn, 0);
  EXPECT_EQ(plat::headless::PresentedFrames(), 11);
  EXPECT_FALSE(plat::IsWindow(window_));
}

TEST_F(FrameRate, HostedScreenSizedSaverNeverWarns) {
  g_bPreview = true;  // e.g. drawing in XScreenSaver's window, whose input we don't own
  Frames(24, 112);
  g_bPreview = false;
  EXPECT_EQ(g_nWarnings, 0);
  EXPECT_FALSE(g_bQuit);
  EXPECT_EQ(RegReadDword("disable_frame_warn", 0), 0);
}

// Nine intervals from the 3rd frame to the 12th, taken as ten: 500 ms is exactly 20
// a second, which passes; 1000 ms exactly 10, which is not below ten.
TEST_F(FrameRate, ExactlyTwentyPassesAndExactlyTenDoesNotWarn) {
  auto measure = [this](plat::DWORD span) {
    Frames(3, 100);
    Frames(8, span / 9);
    Frames(1, span - 8 * (span / 9));
  };
  measure(1000);
  EXPECT_TRUE(FrameStateForTesting().rateTestDone);
  EXPECT_EQ(g_nWarnings, 0);
  EXPECT_FALSE(g_bNoFrameWarn);
  FrameStateForTesting().rateTestDone = false;
  FrameStateForTesting().frameCount = 0;
  measure(500);
  EXPECT_TRUE(g_bNoFrameWarn);
  EXPECT_EQ(g_nWarnings, 0);
}

TEST_F(FrameRate, BetweenTenAndTwentyDoesNothing) {
  Frames(12, 80);  // 13.9 per second
  EXPECT_TRUE(FrameStateForTesting().rateTestDone);
  EXPECT_FALSE(g_bNoFrameWarn);
  EXPECT_EQ(g_nWarnings, 0);
  EXPECT_EQ(RegReadDword("disable_frame_warn", 0), 0);
}

TEST_F(FrameRate, MeasurementSpansTheTickWrap) {
  g_dwNow = 0xFFFFFFFFu - 100u;
  FrameStateForTesting().lastFrame = g_dwNow;
  Frames(12, 55);
  EXPECT_TRUE(g_bNoFrameWarn);
}

TEST_F(FrameRate, DialogTitleShowsTheRateEveryTenFrames) {
  g_bSaverMode = false;
  g_bFullScreen = false;
  Frames(10, 40);
  EXPECT_EQ(plat::headless::WindowTitle(window_), "");
  Frames(1, 40);
  EXPECT_EQ(plat::headless::WindowTitle(window_), "Kiru Settings ~ (animation frames per second: 25)");
  Frames(10, 50);
  EXPECT_EQ(plat::headless::WindowTitle(window_), "Kiru Settings ~ (animation frames per second: 20)");
}

TEST_F(FrameRate, MinimisedDialogDrawsNothingUntilRestored) {
  g_bSaverMode = false;
  g_bFullScreen = false;
  plat::headless::MinimiseForTesting(window_, true);
  int presented = plat::headless::PresentedFrames();
  Frames(11, 40);
  EXPECT_EQ(plat::headless::PresentedFrames(), presented);
  EXPECT_EQ(plat::headless::WindowTitle(window_), "Kiru Settings ~ (animation frames per second: 25)");
  plat::headless::MinimiseForTesting(window_, false);
  Frames(1, 40);
  EXPECT_EQ(plat::headless::PresentedFrames(), presented + 1);
}

TEST_F(FrameRate, LimiterSleepsUpToThirtyMilliseconds) {
  g_bNoFrameWarn = true;
  struct Case {
    plat::DWORD last, now, sleep;
  };
  const Case cases[] = {
      {1000, 1000, 30}, {1000, 1012, 18}, {1000, 1029, 1}, {1000, 1030, 0},
      {1000, 990, 20},  {1000, 900, 0},   {0xFFFFFFF0u, 5, 9}, {5, 0xFFFFFFF0u, 9},
      {0, 0x80000000u, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.now);
    harness::g_Sleeps.clear();
    FrameStateForTesting().lastFrame = c.last;
    g_dwNow = c.now;
    RenderFrame(window_, SaverFrameCalls());
    if (c.sleep == 0) {
      EXPECT_TRUE(harness::g_Sleeps.empty());
    } else {
      ASSERT_EQ(harness::g_Sleeps.size(), 1u);
      EXPECT_EQ(harness::g_Sleeps[0], c.sleep);
    }
    EXPECT_EQ(FrameStateForTesting().lastFrame, g_dwNow);
  }
}

}  // namespace

namespace {

// A saver hosted in another client's window (XScreenSaver's, a settings tool's).
class HostedTest : public harness::Test {
 protected:
  plat::HWND MakeSaver() {
    plat::WindowSpec desc;
    desc.kind = plat::WindowKind::TopLevel;
    desc.width = 160;
    desc.height = 120;
    desc.proc = SaverHandler;
    g_hSaverWnd = plat::CreateWindow(desc);
    return g_hSaverWnd;
  }
};

TEST_F(HostedTest, ResizedSaverWindowTakesTheViewAlongUntilClosed) {
  plat::HWND saver = MakeSaver();
  ASSERT_NE(g_hRC, 0u);

  plat::SendMessage(saver, plat::WM_SIZE, 0, (300 << 16) | 400);
  GLint viewport[4];
  glGetIntegerv(GL_VIEWPORT, viewport);
  EXPECT_EQ(viewport[2], 400);
  EXPECT_EQ(viewport[3], 300);
  GLint mode;
  glGetIntegerv(GL_MATRIX_MODE, &mode);
  EXPECT_EQ(mode, GL_MODELVIEW);  // the modules build their view on the modelview matrix

  // After the close request there is no context to resize.
  plat::SendMessage(saver, plat::WM_CLOSE, 0, 0);
  EXPECT_EQ(g_hRC, 0u);
  plat::SendMessage(saver, plat::WM_SIZE, 0, (50 << 16) | 60);
}

// A monitor plugged in: the full-screen window covers the grown screen and the
// picture follows its new size.
TEST_F(HostedTest, DisplayChangeCoversTheNewScreen) {
  plat::WindowSpec desc;
  desc.kind = plat::WindowKind::FullScreen;
  desc.proc = SaverHandler;
  plat::HWND saver = g_hSaverWnd = plat::CreateWindow(desc);
  harness::DrainQueue();
  plat::headless::SetDesktopSizeForTesting(2048, 768);
  plat::SendMessage(saver, plat::WM_DISPLAYCHANGE, 0, 0);
  plat::RECT rect;
  ASSERT_TRUE(plat::GetWindowRect(saver, &rect));
  EXPECT_EQ(rect.right, 2048);
  plat::MSG msg;
  while (plat::PeekMessage(&msg, saver, 0, 0, plat::PM_REMOVE)) plat::DispatchMessage(&msg);
  GLint viewport[4];
  glGetIntegerv(GL_VIEWPORT, viewport);
  EXPECT_EQ(viewport[2], 2048);
}

// The daemon sends SIGTERM and destroys its window right away: the window may be
// gone before the loop sees the signal, and the settings are saved all the same.
TEST_F(HostedTest, WindowGoneWithACloseSignalPendingStillClosesOnce) {
  plat::InstallCloseSignals();
  plat::HWND saver = MakeSaver();
  g_fDepth = 66.0f;
  std::raise(SIGTERM);
  ASSERT_TRUE(plat::CloseSignalPending());
  plat::DestroyWindow(saver);
  EXPECT_TRUE(g_bClosed);
  EXPECT_EQ(g_hRC, 0u);
  EXPECT_FLOAT_EQ(g_Modules[g_nModule].depth, 66.0f);
  EXPECT_TRUE(plat::TakeCloseSignal());
  EXPECT_FALSE(plat::CloseSignalPending());

  // Taken, its request still queued when the window goes: saved all the same.
  ResetRunStateForTesting();
  saver = MakeSaver();
  g_fDepth = 77.0f;
  StopFrames();
  plat::DestroyWindow(saver);
  EXPECT_FLOAT_EQ(g_Modules[g_nModule].depth, 77.0f);
}

// Without a request (a preview whose host closed) nothing is stored, as before.
TEST_F(HostedTest, WindowGoneWithoutARequestStoresNothing) {
  plat::HWND saver = MakeSaver();
  float stored = g_Modules[g_nModule].depth;
  g_fDepth = stored + 5.0f;
  plat::DestroyWindow(saver);
  EXPECT_FALSE(g_bClosed);
  EXPECT_FLOAT_EQ(g_Modules[g_nModule].depth, stored);
}

// The X server going away ends the process from inside Xlib; until the close
// request has saved, what it would save is saved first.
TEST_F(HostedTest, LosingTheDisplaySavesWhatTheCloseWouldUntilItHasRun) {
  EXPECT_EQ(plat::headless::DisplayLostHookForTesting(), nullptr);
  plat::HWND saver = MakeSaver();
  plat::DisplayLostHook hook = plat::headless::DisplayLostHookForTesting();
  ASSERT_NE(hook, nullptr);
  g_fDepth = 66.0f;
  hook();
  SelectRegKey(0, KIRU_KEY);
  EXPECT_EQ(RegReadDword(("mod" + std::to_string(g_nModule) + " depth").c_str(), 0), 6600u);
  plat::SendMessage(saver, plat::WM_CLOSE, 0, 0);
  EXPECT_EQ(plat::headless::DisplayLostHookForTesting(), nullptr);
}

}  // namespace
