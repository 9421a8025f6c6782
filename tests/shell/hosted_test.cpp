#include <GL/gl.h>

#include <csignal>
#include <string>

#include "tests/support/harness.h"
#include "platform/window.h"
#include "settings/registry.h"
#include "shell/closesignal.h"

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
  InstallCloseSignals();
  plat::HWND saver = MakeSaver();
  g_fDepth = 66.0f;
  std::raise(SIGTERM);
  ASSERT_TRUE(CloseSignalPending());
  plat::DestroyWindow(saver);
  EXPECT_TRUE(g_bClosed);
  EXPECT_EQ(g_hRC, 0u);
  EXPECT_FLOAT_EQ(g_Modules[g_nModule].depth, 66.0f);
  EXPECT_TRUE(TakeCloseSignal());
  EXPECT_FALSE(CloseSignalPending());
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
