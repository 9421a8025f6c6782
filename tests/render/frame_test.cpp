#include "tests/support/harness.h"
#include "platform/headless/headless_power.h"
#include "platform/window.h"

namespace {

using harness::g_dwNow;

class PowerSenseTest : public harness::Test {
 protected:
  void SetUp() override {
    harness::Test::SetUp();
    plat::headless::ResetDisplayPowerForTesting();
  }
  void TearDown() override {
    plat::headless::ResetDisplayPowerForTesting();
    harness::Test::TearDown();
  }

  plat::HWND MakeSaver() {
    plat::WindowSpec desc;
    desc.kind = plat::WindowKind::TopLevel;  // small frames keep the test quick
    desc.width = 160;
    desc.height = 120;
    desc.proc = SaverHandler;
    g_hSaverWnd = plat::CreateWindow(desc);
    return g_hSaverWnd;
  }

  // Dispatches the next message of the window; its number, or 0 when none.
  plat::UINT Pump(plat::HWND window, plat::DWORD ms = 10) {
    g_dwNow += ms;
    plat::MSG msg;
    if (!plat::PeekMessage(&msg, window, 0, 0, plat::PM_REMOVE)) return 0;
    plat::DispatchMessage(&msg);
    return msg.message;
  }
};

TEST_F(PowerSenseTest, NothingDrawnWhileAsleepOneLookASecondAndDrawingResumes) {
  plat::HWND saver = MakeSaver();
  EXPECT_EQ(Pump(saver), FramePump);
  EXPECT_EQ(plat::headless::PresentedFrames(), 1);

  plat::headless::SetDisplayAsleepForTesting(true);
  g_dwNow += 1000;  // the next look is due
  int queries = plat::headless::DisplayPowerQueries();
  for (int i = 0; i < 50; ++i) EXPECT_EQ(Pump(saver, 40), FramePump);  // two seconds
  EXPECT_EQ(plat::headless::PresentedFrames(), 1);
  EXPECT_EQ(plat::headless::DisplayPowerQueries() - queries, 2);
  auto queued = harness::Queued(saver);  // the pump keeps itself going
  ASSERT_EQ(queued.size(), 1u);
  EXPECT_EQ(queued[0].message, FramePump);

  plat::headless::SetDisplayAsleepForTesting(false);
  for (int i = 0; i < 25; ++i) Pump(saver, 40);  // the next look finds the display on
  int presented = plat::headless::PresentedFrames();
  EXPECT_GE(presented, 2);
  EXPECT_EQ(Pump(saver, 40), FramePump);
  EXPECT_EQ(plat::headless::PresentedFrames(), presented + 1);
}

// Only the picture sleeps: the sound cue and module cycling keep their times, and
// the frames keep the limiter's 30 ms floor, so the idle saver barely wakes.
TEST_F(PowerSenseTest, CueAndCyclingGoOnWhileAsleepAtTheLimitersPace) {
  plat::headless::SetDisplayAsleepForTesting(true);
  plat::HWND saver = MakeSaver();
  g_bSoundOn = true;  // after creation, which loads the settings
  g_nCycleSeconds = 1;
  harness::SetModules({2, 5}, 2);
  plat::DWORD start = g_dwNow;
  g_dwModuleStart = start;
  int passes = 0;
  for (; passes < 250 && g_dwNow - start < 6500; ++passes)
    ASSERT_EQ(Pump(saver, 0), FramePump);  // the clock moves only by the limiter's sleeps
  EXPECT_EQ(plat::headless::PresentedFrames(), 0);
  EXPECT_EQ(FrameStateForTesting().cueIndex, 2);  // voices 1 and 2 asked at 3.2 and 6.4 seconds
  EXPECT_EQ(g_nModule, 5);    // switched after a second and a fade
  EXPECT_LE(passes, 6500 / 30 + 2);  // the first pass has nothing to wait for
}

TEST_F(PowerSenseTest, AwakeDisplayIsAskedAtMostOnceASecond) {
  plat::HWND saver = MakeSaver();
  for (int i = 0; i < 50; ++i) Pump(saver, 40);  // two seconds of frames
  EXPECT_EQ(plat::headless::PresentedFrames(), 50);
  EXPECT_LE(plat::headless::DisplayPowerQueries(), 3);
}

TEST_F(PowerSenseTest, CloseRequestWhileAsleepIsHandledOnce) {
  plat::HWND saver = MakeSaver();
  plat::headless::SetDisplayAsleepForTesting(true);
  EXPECT_EQ(Pump(saver), FramePump);
  plat::PostMessage(saver, plat::WM_CLOSE, 0, 0);
  EXPECT_EQ(Pump(saver), FramePump);
  EXPECT_TRUE(g_bQuit);
  EXPECT_EQ(Pump(saver), plat::WM_CLOSE);
  EXPECT_TRUE(g_bClosed);
  EXPECT_EQ(g_hRC, 0u);
  EXPECT_TRUE(harness::Queued(saver).empty());
  EXPECT_EQ(plat::headless::PresentedFrames(), 0);
}

}  // namespace
