#include "shell/saverproc.h"
#include "shell/saverwndproc.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "platform/clock.h"
#include "platform/password.h"
#include "platform/queue.h"
#include "platform/window.h"
#include "render/runstate.h"
#include "shell/saverloop.h"
#include "shell/saverpassword.h"
#include "shell/saverstate.h"
#include "ui/warning.h"

using namespace plat;

namespace {

POINT g_cursor;
int g_nHides;
std::vector<UINT> g_handled;  // what reached the handler between the procedures
DWORD g_dwNow;
int g_nChecks;
bool g_bAccept;

bool FakeCursor(POINT* p) {
  *p = g_cursor;
  return true;
}
void RecordCursor(bool show) {
  if (!show) ++g_nHides;
}
LRESULT PassThrough(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  g_handled.push_back(message);
  return GenericSaverProc(window, message, wParam, lParam);
}
DWORD FakeTicks() { return g_dwNow; }
bool FakeCheck(HWND) {
  ++g_nChecks;
  return g_bAccept;
}

LRESULT RecordParent(HWND, UINT message, WPARAM, LPARAM) {
  g_handled.push_back(message);
  return 0;
}

class SaverProcTest : public ::testing::Test {
 protected:
  void SetUp() override {
    EnsureMessageQueue();
    g_cursor = POINT{500, 400};
    g_nHides = 0;
    g_handled.clear();
    g_dwNow = 1000;
    g_nChecks = 0;
    g_bAccept = true;
    g_bPreview = false;
    g_bWin9x = false;
    g_bWarningShown = false;
    g_bKeepRunning = true;
    ResetPasswordStateForTesting();
    SetCursorHooksForTesting(FakeCursor, RecordCursor);
    SetSaverHandlerForTesting(PassThrough);
    SetTickSourceForTesting(FakeTicks);
    SetSaverPasswordCheckForTesting(nullptr);
  }
  void TearDown() override {
    if (IsWindow(window_)) DestroyWindow(window_);
    if (IsWindow(parent_)) DestroyWindow(parent_);
    Drain();
    SetCursorHooksForTesting(nullptr, nullptr);
    SetSaverHandlerForTesting(nullptr);
    SetTickSourceForTesting(nullptr);
    SetSaverPasswordCheckForTesting(nullptr);
  }

  void Create(bool preview) {
    g_bPreview = preview;
    WindowSpec desc;
    desc.kind = preview ? WindowKind::Child : WindowKind::FullScreen;
    desc.proc = SaverWndProc;
    if (preview) {
      WindowSpec host;
      host.proc = RecordParent;
      parent_ = CreateWindow(host);
      desc.parent = parent_;
    }
    window_ = CreateWindow(desc);
    ASSERT_NE(window_, 0u);
    g_handled.clear();
  }
  void MoveTo(int x, int y) {
    g_cursor = POINT{x, y};
    SaverWndProc(window_, WM_MOUSEMOVE, 0, 0);
  }
  // Close requests the procedures posted to the saver window since the last look.
  int TakeCloses() {
    int n = 0;
    MSG msg;
    while (PeekMessage(&msg, window_, WM_CLOSE, WM_CLOSE, PM_REMOVE)) ++n;
    return n;
  }
  static void Drain() {
    MSG msg;
    while (PeekMessage(&msg, 0, 0, 0, PM_REMOVE)) {
    }
  }
  static bool QuitPosted() {
    MSG msg;
    while (PeekMessage(&msg, 0, 0, 0, PM_REMOVE))
      if (msg.message == WM_QUIT) return true;
    return false;
  }

  HWND window_ = 0;
  HWND parent_ = 0;
};

TEST_F(SaverProcTest, MovementAboveOneHundredPixelsCloses) {
  Create(false);
  MoveTo(560, 440);  // 60 across, 40 down: exactly 100
  EXPECT_EQ(TakeCloses(), 0);
  MoveTo(561, 440);  // 101 from where it started
  EXPECT_EQ(TakeCloses(), 1);
  // Re-based on the qualifying movement: 100 more from there is still fine.
  MoveTo(561, 340);
  EXPECT_EQ(TakeCloses(), 0);
  MoveTo(460, 440);
  EXPECT_EQ(TakeCloses(), 1);
}

TEST_F(SaverProcTest, SmallMovementsAddUp) {
  Create(false);
  for (int i = 1; i <= 25; ++i) {
    MoveTo(500 + 4 * i, 400);
    EXPECT_EQ(TakeCloses(), 0) << "move " << i;
  }
  MoveTo(500 + 4 * 26, 400);
  EXPECT_EQ(TakeCloses(), 1);
}

TEST_F(SaverProcTest, ClicksAndSwitchingAwayDoNotClose) {
  Create(false);
  for (UINT message : {WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN, WM_ACTIVATEAPP, WM_KEYDOWN})
    SaverWndProc(window_, message, 0, 0);
  for (WPARAM command : {SC_NEXTWINDOW, SC_PREVWINDOW, SC_SCREENSAVE, SC_NEXTWINDOW | 2})
    EXPECT_EQ(SaverWndProc(window_, WM_SYSCOMMAND, command, 0), 0);
  EXPECT_EQ(TakeCloses(), 0);
  // Swallowed commands never reach the handler; others do.
  EXPECT_EQ(std::count(g_handled.begin(), g_handled.end(), WM_SYSCOMMAND), 0);
  SaverWndProc(window_, WM_SYSCOMMAND, 0xF060, 0);
  EXPECT_EQ(std::count(g_handled.begin(), g_handled.end(), WM_SYSCOMMAND), 1);
}

TEST_F(SaverProcTest, MovementAfterTheWarningIsForgivenOnce) {
  Create(false);
  g_bWarningShown = true;
  MoveTo(700, 400);
  EXPECT_EQ(TakeCloses(), 0);
  EXPECT_FALSE(g_bWarningShown);
  MoveTo(760, 440);  // re-based at 700: 100 is fine
  EXPECT_EQ(TakeCloses(), 0);
  MoveTo(900, 400);
  EXPECT_EQ(TakeCloses(), 1);

  // A warning answered with "quit" forgives nothing.
  g_bWarningShown = true;
  g_bKeepRunning = false;
  MoveTo(500, 400);
  EXPECT_EQ(TakeCloses(), 1);
}

TEST_F(SaverProcTest, FullScreenHidesTheCursorPreviewDoesNot) {
  Create(false);
  EXPECT_GT(g_nHides, 0);
  int afterCreate = g_nHides;
  EXPECT_EQ(SaverWndProc(window_, WM_SETCURSOR, 0, 0), 1);
  SaverWndProc(window_, WM_SHOWWINDOW, 1, 0);
  SaverWndProc(window_, WM_PAINT, 0, 0);
  EXPECT_EQ(g_nHides, afterCreate + 3);
  DestroyWindow(window_);

  g_nHides = 0;
  Create(true);
  SaverWndProc(window_, WM_SETCURSOR, 0, 0);
  SaverWndProc(window_, WM_SHOWWINDOW, 1, 0);
  SaverWndProc(window_, WM_PAINT, 0, 0);
  EXPECT_EQ(g_nHides, 0);
}

TEST_F(SaverProcTest, PreviewNeverClosesOnInputAndForwardsHelp) {
  Create(true);
  MoveTo(2000, 2000);
  SaverWndProc(window_, WM_LBUTTONDOWN, 0, 0);
  EXPECT_EQ(TakeCloses(), 0);
  EXPECT_EQ(SaverWndProc(window_, WM_SYSCOMMAND, SC_NEXTWINDOW, 0), 0);
  EXPECT_EQ(g_handled.back(), WM_SYSCOMMAND);  // handed on in the preview

  g_handled.clear();
  EXPECT_EQ(SaverWndProc(window_, WM_HELP, 0, 77), 1);
  EXPECT_EQ(SaverWndProc(window_, WM_CONTEXTMENU, 0, 88), 1);
  EXPECT_TRUE(g_handled.empty());
  MSG msg;
#ifndef _WIN32  // Win32 posts no WM_HELP: its lParam is a pointer (ERROR_MESSAGE_SYNC_ONLY)
  ASSERT_TRUE(PeekMessage(&msg, parent_, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, WM_HELP);
  EXPECT_EQ(msg.wParam, parent_);
  EXPECT_EQ(msg.lParam, 77);
#endif
  ASSERT_TRUE(PeekMessage(&msg, parent_, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, WM_CONTEXTMENU);
}

TEST_F(SaverProcTest, HostedSaverDropsKeysBeforeThePumpSeesThem) {
  Create(true);
  PostMessage(window_, WM_KEYDOWN, VK_ESCAPE, 0);
  PostMessage(window_, WM_KEYUP, VK_ESCAPE, 0);
  PostMessage(window_, WM_SYSKEYDOWN, VK_F4, 0);
  PostMessage(window_, WM_PAINT, 0, 0);
  SaverWndProc(window_, FramePump, 0xFFFFFFFF, 0xFFFFFFFF);
  MSG msg;
  ASSERT_TRUE(PeekMessage(&msg, window_, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, WM_PAINT);
  EXPECT_FALSE(PeekMessage(&msg, window_, 0, 0, PM_REMOVE));
  EXPECT_EQ(g_handled.back(), FramePump);
  DestroyWindow(window_);

  Create(false);
  PostMessage(window_, WM_KEYDOWN, VK_ESCAPE, 0);
  SaverWndProc(window_, FramePump, 0xFFFFFFFF, 0xFFFFFFFF);
  ASSERT_TRUE(PeekMessage(&msg, window_, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, WM_KEYDOWN);
}

TEST_F(SaverProcTest, CloseRequestDestroysTheWindowAndEndsTheLoop) {
  Create(false);
  EXPECT_EQ(SaverWndProc(window_, WM_SETTEXT, 0, 0), 0);
  EXPECT_TRUE(g_handled.empty());
  SaverWndProc(window_, WM_CLOSE, 0, 0);
  EXPECT_FALSE(IsWindow(window_));
  EXPECT_TRUE(QuitPosted());
  EXPECT_EQ(g_handled.front(), WM_CLOSE);
  EXPECT_EQ(g_handled.back(), WM_DESTROY);
}

TEST_F(SaverProcTest, SoundNotificationIsNoVerificationRequest) {
  g_bWin9x = true;
  SetSaverPasswordCheckForTesting(FakeCheck);
  Create(false);
  EXPECT_EQ(SaverWndProc(window_, WM_VERIFY_PASSWORD, 0, 0), 0);
  EXPECT_EQ(g_nChecks, 0);
  EXPECT_TRUE(IsWindow(window_));
}

TEST_F(SaverProcTest, RefusedPasswordKeepsTheWindowAndPausesPrompts) {
  g_bWin9x = true;
  SetSaverPasswordCheckForTesting(FakeCheck);
  Create(false);
  g_bAccept = false;
  g_cursor = POINT{10, 10};
  SaverWndProc(window_, WM_CLOSE, 0, 0);
  EXPECT_EQ(g_nChecks, 1);
  EXPECT_TRUE(IsWindow(window_));
  EXPECT_EQ(g_ptLast.x, 10);  // re-based where the prompt left the cursor

  g_dwNow += 199;
  SaverWndProc(window_, WM_CLOSE, 0, 0);
  EXPECT_EQ(g_nChecks, 1);
  g_dwNow += 1;
  g_bAccept = true;
  SaverWndProc(window_, WM_CLOSE, 0, 0);
  EXPECT_EQ(g_nChecks, 2);
  EXPECT_FALSE(IsWindow(window_));
  EXPECT_TRUE(g_bVerified);
}

TEST_F(SaverProcTest, WithoutAPasswordTheFirstCloseCloses) {
  g_bWin9x = true;  // older family, no password set
  Create(false);
  SaverWndProc(window_, WM_CLOSE, 0, 0);
  EXPECT_FALSE(IsWindow(window_));
  EXPECT_TRUE(g_bVerified);
}

TEST_F(SaverProcTest, VerifiedWindowReadsNoMoreInput) {
  g_bWin9x = true;
  Create(false);
  EXPECT_TRUE(VerifyPassword(window_));
  g_handled.clear();
  MoveTo(2000, 2000);
  SaverWndProc(window_, WM_TIMER, 1, 0);
  EXPECT_TRUE(g_handled.empty());
  EXPECT_EQ(TakeCloses(), 0);
  EXPECT_FALSE(VerifyPassword(window_));  // asked once only
}

}  // namespace
