#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/queue.h"
#include "platform/window.h"
#include "platform/x11/x11_display.h"
#include "tests/platform/x11/x11_support.h"

using namespace x11test;

namespace {

class InputTest : public testing::Test {
 protected:
  void SetUp() override {
    g_messages.clear();
    plat::WindowSpec desc;
    desc.kind = plat::WindowKind::FullScreen;
    desc.className = "WindowsScreenSaverClass";
    desc.title = "Screen Saver";
    desc.proc = RecordingProc;
    window_ = plat::CreateWindow(desc);
    ASSERT_NE(window_, 0u);
  }
  void TearDown() override { plat::DestroyWindow(window_); }
  plat::HWND window_ = 0;
};

// The window shows and holds the keyboard before its WM_CREATE runs: keys typed
// while the saver sets up (reading a large settings file) wait for its first frame.
TEST(InputAtCreation, KeysTypedWhileTheWindowIsCreatedArrive) {
  g_messages.clear();
  plat::WindowSpec desc;
  desc.kind = plat::WindowKind::FullScreen;
  desc.proc = [](plat::HWND window, plat::UINT message, plat::WPARAM wParam, plat::LPARAM lParam) {
    if (message == plat::WM_CREATE) Shell("xdotool key Prior Escape");
    return RecordingProc(window, message, wParam, lParam);
  };
  plat::HWND window = plat::CreateWindow(desc);
  ASSERT_TRUE(PumpUntil([] { return Count(plat::WM_KEYUP) == 2; }));
  EXPECT_EQ(KeysDown(), (std::vector<plat::WPARAM>{33, 27}));
  plat::DestroyWindow(window);
}

// The grab sends every key to the full-screen window, whatever has the focus.
// With Num Lock off the keypad's keys are the navigation keys.
TEST_F(InputTest, KeysArriveAsVirtualKeysOfTheKeyTable) {
  ASSERT_EQ(Shell("xdotool key Escape Prior Next KP_Prior KP_Next KP_Up KP_Down KP_Left KP_Right "
                "Up Down Left Right F1 F2 F9 F11 F12 Home KP_Home Return KP_Enter BackSpace"),
            0);
  const std::vector<plat::WPARAM> expected = {
      27, 33, 34, 33, 34, 38, 40, 37, 39, 38, 40, 37, 39, 112, 113, 120, 122, 123, 36, 36, 13, 13, 8};
  ASSERT_TRUE(PumpUntil([&] { return Count(plat::WM_KEYUP) == static_cast<int>(expected.size()); }));
  EXPECT_EQ(KeysDown(), expected);
  for (const plat::MSG& m : g_messages) {
    if (m.message == plat::WM_KEYDOWN || m.message == plat::WM_KEYUP) {
      EXPECT_EQ(m.hwnd, window_);
    }
  }
}

// Keys the controls do not use must still arrive, as some key, to end the saver.
TEST_F(InputTest, EveryOtherKeyArrivesWithANonZeroVirtualKey) {
  ASSERT_EQ(Shell("xdotool key a Z 5 Shift_L Control_L space Tab Caps_Lock Menu Super_L"), 0);
  ASSERT_TRUE(PumpUntil([] { return Count(plat::WM_KEYUP) >= 10; }));
  std::vector<plat::WPARAM> keys = KeysDown();
  ASSERT_GE(keys.size(), 10u);
  EXPECT_EQ(keys[0], plat::WPARAM{'A'});
  for (plat::WPARAM key : keys) EXPECT_NE(key, 0u);
}

// The server's Num Lock state (and Shift) decide what a keypad key means; its
// digits are VK_NUMPAD0 to 9. (xdotool adds the modifiers a keysym needs, so only
// the unlocked keysyms are named here: with Num Lock on, KP_Home is keypad 7.)
TEST_F(InputTest, KeypadFollowsNumLockAndShift) {
  ASSERT_EQ(Shell("xdotool key KP_Home KP_Prior Num_Lock KP_Home KP_Prior KP_Down KP_Delete shift+KP_Home "
                  "Num_Lock KP_Delete"),
            0);
  const std::vector<plat::WPARAM> expected = {36, 33, 0x90, 103, 105, 98, 0x6E, 16, 36, 0x90, 46};
  ASSERT_TRUE(PumpUntil([&] { return Count(plat::WM_KEYUP) == static_cast<int>(expected.size()); }));
  EXPECT_EQ(KeysDown(), expected);
}

TEST_F(InputTest, HeldKeyRepeatsAsKeyDowns) {
  ASSERT_EQ(Shell("xdotool keydown Up sleep 1 keyup Up"), 0);
  ASSERT_TRUE(PumpUntil([] { return Count(plat::WM_KEYUP) == 1; }));
  EXPECT_GT(Count(plat::WM_KEYDOWN), 1);
}

TEST_F(InputTest, PointerMovesAndClicksAreReportedWithThePosition) {
  ASSERT_EQ(Shell("xdotool mousemove 10 20"), 0);
  ASSERT_TRUE(PumpUntil([] { return Count(plat::WM_MOUSEMOVE) >= 1; }));
  plat::POINT at;
  ASSERT_TRUE(plat::GetCursorPos(&at));
  EXPECT_EQ(at.x, 10);
  EXPECT_EQ(at.y, 20);
  EXPECT_GE(Count(plat::WM_SETCURSOR), 1);

  g_messages.clear();
  ASSERT_EQ(Shell("xdotool mousemove 500 400 click 1 click 3 click 2"), 0);
  ASSERT_TRUE(PumpUntil([] { return Count(plat::WM_MBUTTONUP) == 1; }));
  EXPECT_EQ(Count(plat::WM_LBUTTONDOWN), 1);
  EXPECT_EQ(Count(plat::WM_RBUTTONDOWN), 1);
  EXPECT_EQ(Count(plat::WM_MBUTTONDOWN), 1);
  const plat::MSG* move = nullptr;
  for (const plat::MSG& m : g_messages)
    if (m.message == plat::WM_MOUSEMOVE) move = &m;
  ASSERT_NE(move, nullptr);
  EXPECT_EQ(move->lParam & 0xFFFF, 500);
  EXPECT_EQ((move->lParam >> 16) & 0xFFFF, 400);
}

// As a dialog over the saver uses it: the saver's grab given up, the pointer kept
// inside the rectangle (moved to its nearest point) until the confinement is
// lifted, then the saver's grab back.
TEST_F(InputTest, ClipCursorKeepsThePointerInsideUntilLifted) {
  auto pointer = [] {
    plat::POINT at{-1, -1};
    plat::GetCursorPos(&at);
    return std::make_pair(at.x, at.y);
  };
  ASSERT_EQ(Shell("xdotool mousemove 0 0"), 0);
  plat::x11::SuspendInputGrab();
  plat::RECT rect{100, 100, 300, 200};
  plat::ClipCursor(&rect);
  EXPECT_EQ(pointer(), std::make_pair(100, 100));
  ASSERT_EQ(Shell("xdotool mousemove 900 700"), 0);
  EXPECT_EQ(pointer(), std::make_pair(299, 199));
  ASSERT_EQ(Shell("xdotool mousemove 150 150"), 0);
  EXPECT_EQ(pointer(), std::make_pair(150, 150));
  plat::ClipCursor(nullptr);
  ASSERT_EQ(Shell("xdotool mousemove 900 700"), 0);
  EXPECT_EQ(pointer(), std::make_pair(900, 700));
  plat::x11::ResumeInputGrab();
  ASSERT_EQ(Shell("xdotool key x"), 0);
  EXPECT_TRUE(PumpUntil([] { return Count(plat::WM_KEYDOWN) == 1; }));
}

TEST_F(InputTest, CursorIsHiddenOverTheSaverUntilShown) {
  // Only the state is observable without X headers; it must survive both calls.
  plat::ShowCursor(true);
  plat::ShowCursor(false);
  plat::POINT at;
  EXPECT_TRUE(plat::GetCursorPos(&at));
}

}  // namespace
