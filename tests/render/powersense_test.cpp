#include <chrono>
#include <thread>

#include "harness.h"
#include "platform/headless/power.h"
#include "platform/window.h"

namespace {

using harness::g_dwNow;

std::vector<plat::DWORD> g_Waits;
plat::DWORD g_dwWaitCut;  // a wait ends after this long at most (something was posted)
void FakeWait(plat::DWORD ms) {
  g_Waits.push_back(ms);
  g_dwNow += ms < g_dwWaitCut ? ms : g_dwWaitCut;
}

class PowerSenseTest : public harness::Test {
 protected:
  void SetUp() override {
    harness::Test::SetUp();
    plat::headless::ResetDisplayPowerForTesting();
    g_Waits.clear();
    g_dwWaitCut = 0xFFFFFFFF;
    SetIdleWaitForTesting(FakeWait);
  }
  void TearDown() override {
    SetIdleWaitForTesting(nullptr);
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

TEST_F(PowerSenseTest, NoFramesWhileAsleepOneLookASecondAndFramesResume) {
  plat::HWND saver = MakeSaver();
  EXPECT_EQ(Pump(saver), FramePump);
  EXPECT_EQ(plat::headless::PresentedFrames(), 1);

  plat::headless::SetDisplayAsleepForTesting(true);
  g_dwNow += 1000;  // the next look is due
  int queries = plat::headless::DisplayPowerQueries();
  for (int i = 0; i < 3; ++i) EXPECT_EQ(Pump(saver), FramePump);
  EXPECT_EQ(plat::headless::PresentedFrames(), 1);
  EXPECT_EQ(g_Waits, (std::vector<plat::DWORD>{1000, 1000, 1000}));
  EXPECT_EQ(plat::headless::DisplayPowerQueries() - queries, 3);
  // The pump keeps itself going: one FramePump stays queued.
  auto queued = harness::Queued(saver);
  ASSERT_EQ(queued.size(), 1u);
  EXPECT_EQ(queued[0].message, FramePump);

  // Waits cut short by posted messages look again only when the second is over.
  g_dwWaitCut = 300;
  g_Waits.clear();
  queries = plat::headless::DisplayPowerQueries();
  for (int i = 0; i < 4; ++i) Pump(saver);
  EXPECT_EQ(g_Waits, (std::vector<plat::DWORD>{1000, 690, 380, 70}));
  EXPECT_EQ(plat::headless::DisplayPowerQueries() - queries, 1);

  plat::headless::SetDisplayAsleepForTesting(false);
  g_dwWaitCut = 0xFFFFFFFF;
  EXPECT_EQ(Pump(saver), FramePump);  // the second is over: the look finds the display on
  EXPECT_EQ(plat::headless::PresentedFrames(), 2);
  EXPECT_EQ(Pump(saver, 40), FramePump);
  EXPECT_EQ(plat::headless::PresentedFrames(), 3);
  EXPECT_EQ(g_Waits.size(), 4u);
}

TEST_F(PowerSenseTest, AwakeDisplayIsAskedAtMostOnceASecond) {
  plat::HWND saver = MakeSaver();
  for (int i = 0; i < 50; ++i) Pump(saver, 40);  // two seconds of frames
  EXPECT_EQ(plat::headless::PresentedFrames(), 50);
  EXPECT_LE(plat::headless::DisplayPowerQueries(), 3);
  EXPECT_TRUE(g_Waits.empty());
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

// With the real wait, a request posted from elsewhere ends the second-long wait early.
TEST_F(PowerSenseTest, RealWaitEndsWhenSomethingIsPosted) {
  SetIdleWaitForTesting(nullptr);
  plat::HWND saver = MakeSaver();
  plat::headless::SetDisplayAsleepForTesting(true);
  EXPECT_EQ(Pump(saver), FramePump);  // clears the wake-up left by the first post

  auto start = std::chrono::steady_clock::now();
  std::thread poster([saver] {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    plat::PostMessage(saver, plat::WM_CLOSE, 0, 0);
  });
  EXPECT_EQ(Pump(saver, 0), FramePump);
  auto waited = std::chrono::steady_clock::now() - start;
  poster.join();
  EXPECT_LT(waited, std::chrono::milliseconds(800));
  EXPECT_EQ(Pump(saver), FramePump);
  EXPECT_TRUE(g_bQuit);
  EXPECT_EQ(Pump(saver), plat::WM_CLOSE);
  EXPECT_TRUE(g_bClosed);
}

}  // namespace
