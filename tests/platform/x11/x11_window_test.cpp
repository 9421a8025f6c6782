#include <gtest/gtest.h>

#include <string>

#include "platform/queue.h"
#include "platform/window.h"
#include "platform/x11/x11_display.h"
#include "tests/platform/x11/x11_support.h"

using namespace x11test;

namespace {

plat::HWND Make(plat::WindowKind kind, int width = 0, int height = 0, unsigned long nativeParent = 0,
                const char* className = "KiruTestClass", const char* title = "Kiru Test") {
  plat::WindowSpec desc;
  desc.kind = kind;
  desc.className = className;
  desc.title = title;
  desc.width = width;
  desc.height = height;
  desc.nativeParent = nativeParent;
  desc.proc = RecordingProc;
  return plat::CreateWindow(desc);
}

std::string Info(unsigned long xid, const char* flags = "") {
  return Capture(std::string("xwininfo ") + flags + " -id " + std::to_string(xid) + " 2>&1");
}

class WindowTest : public testing::Test {
 protected:
  void SetUp() override { g_messages.clear(); }
};

TEST_F(WindowTest, FullScreenCoversTheScreenUntilDestroyed) {
  plat::HWND window = Make(plat::WindowKind::FullScreen);
  ASSERT_NE(window, 0u);
  // WM_CREATE was sent before CreateWindow returned.
  ASSERT_FALSE(g_messages.empty());
  EXPECT_EQ(g_messages.front().message, plat::WM_CREATE);

  plat::RECT client, desktop;
  ASSERT_TRUE(plat::GetClientRect(window, &client));
  ASSERT_TRUE(plat::GetClientRect(plat::GetDesktopWindow(), &desktop));
  EXPECT_EQ(client.right, 1024);
  EXPECT_EQ(client.bottom, 768);
  EXPECT_EQ(client.right, desktop.right);

  unsigned long xid = plat::x11::NativeWindowOf(window);
  std::string info = Info(xid);
  EXPECT_NE(info.find("Map State: IsViewable"), std::string::npos) << info;
  EXPECT_NE(info.find("Override Redirect State: yes"), std::string::npos) << info;
  EXPECT_EQ(plat::FindNativeWindow("KiruTestClass", "Kiru Test"), xid);
  EXPECT_EQ(plat::GetForegroundWindow(), 0u);  // grabbed, but focus was never moved

  plat::DestroyWindow(window);
  EXPECT_EQ(g_messages.back().message, plat::WM_DESTROY);
  EXPECT_FALSE(plat::IsWindow(window));
  EXPECT_FALSE(plat::IsNativeWindow(xid));
  EXPECT_FALSE(plat::PostMessage(window, plat::WM_USER, 0, 0));
}

TEST_F(WindowTest, CreateRefusedByTheProcedureLeavesNoWindow) {
  plat::WindowSpec desc;
  desc.kind = plat::WindowKind::TopLevel;
  desc.proc = [](plat::HWND, plat::UINT message, plat::WPARAM, plat::LPARAM) -> plat::LRESULT {
    return message == plat::WM_CREATE ? -1 : 0;
  };
  EXPECT_EQ(plat::CreateWindow(desc), 0u);
  EXPECT_EQ(plat::FindNativeWindow("", "refused"), 0u);
}

TEST_F(WindowTest, TopLevelWindowKeepsSizeTitleAndTakesPosts) {
  plat::HWND window = Make(plat::WindowKind::TopLevel, 300, 200);
  ASSERT_NE(window, 0u);
  plat::RECT rect;
  ASSERT_TRUE(plat::GetClientRect(window, &rect));
  EXPECT_EQ(rect.right, 300);
  EXPECT_EQ(rect.bottom, 200);

  ASSERT_TRUE(plat::SetWindowText(window, "Kiru Settings ~ (animation frames per second: 33)"));
  char title[80];
  plat::GetWindowText(window, title, sizeof title);
  EXPECT_STREQ(title, "Kiru Settings ~ (animation frames per second: 33)");
  EXPECT_EQ(plat::FindNativeWindow("KiruTestClass", title), plat::x11::NativeWindowOf(window));
  // Too small a buffer truncates and stays terminated.
  EXPECT_EQ(plat::GetWindowText(window, title, 5), 4);
  EXPECT_STREQ(title, "Kiru");

  ASSERT_TRUE(plat::PostMessage(window, plat::WM_USER + 1, 7, 9));
  EXPECT_TRUE(PumpUntil([] { return Count(plat::WM_USER + 1) == 1; }));

  plat::DestroyWindow(window);
}

TEST_F(WindowTest, ChildTakesTheForeignHostsSizeAndEndsWithIt) {
  HostProcess host;
  ASSERT_TRUE(host.Start("KiruHost", "Display Settings"));
  plat::HWND preview = Make(plat::WindowKind::Child, 0, 0, host.xid, "WindowsScreenSaverClass", "Preview");
  ASSERT_NE(preview, 0u);
  plat::RECT rect;
  ASSERT_TRUE(plat::GetClientRect(preview, &rect));
  EXPECT_EQ(rect.right, 320);
  EXPECT_EQ(rect.bottom, 240);
  EXPECT_EQ(plat::GetParent(preview), 0u);  // the host is not one of ours
  std::string info = Info(host.xid, "-children");
  EXPECT_NE(info.find("1 child"), std::string::npos) << info;

  g_messages.clear();
  host.Kill();
  EXPECT_TRUE(PumpUntil([] { return Count(plat::WM_DESTROY) == 1; }));
  EXPECT_FALSE(plat::IsWindow(preview));
  EXPECT_FALSE(plat::IsNativeWindow(host.xid));
}

TEST_F(WindowTest, ChildOfOurOwnWindowGoesWithIt) {
  plat::HWND top = Make(plat::WindowKind::TopLevel, 200, 100);
  plat::WindowSpec desc;
  desc.kind = plat::WindowKind::Child;
  desc.parent = top;
  desc.x = 10;
  desc.y = 10;
  desc.width = 50;
  desc.height = 0;  // an empty client area is kept as asked
  desc.proc = RecordingProc;
  plat::HWND child = plat::CreateWindow(desc);
  ASSERT_NE(child, 0u);
  EXPECT_EQ(plat::GetParent(child), top);
  plat::RECT rect;
  ASSERT_TRUE(plat::GetClientRect(child, &rect));
  EXPECT_EQ(rect.right, 50);
  EXPECT_EQ(rect.bottom, 0);
  plat::DestroyWindow(top);
  EXPECT_FALSE(plat::IsWindow(child));
  EXPECT_EQ(Count(plat::WM_DESTROY), 2);
}

TEST_F(WindowTest, FindsASaverOfAnotherProcess) {
  EXPECT_EQ(plat::FindNativeWindow("WindowsScreenSaverClass", "Screen Saver"), 0u);
  HostProcess saver;
  ASSERT_TRUE(saver.Start("WindowsScreenSaverClass", "Screen Saver"));
  EXPECT_EQ(plat::FindNativeWindow("WindowsScreenSaverClass", "Screen Saver"), saver.xid);
  EXPECT_EQ(plat::FindNativeWindow("WindowsScreenSaverClass", "Preview"), 0u);
  EXPECT_EQ(plat::FindNativeWindow("OtherClass", "Screen Saver"), 0u);
  EXPECT_TRUE(plat::IsNativeWindow(saver.xid));
  EXPECT_TRUE(plat::RaiseNativeWindow(saver.xid));
  saver.Kill();
  EXPECT_FALSE(plat::IsNativeWindow(saver.xid));
  EXPECT_FALSE(plat::RaiseNativeWindow(saver.xid));
  EXPECT_EQ(plat::FindNativeWindow("WindowsScreenSaverClass", "Screen Saver"), 0u);
}

TEST_F(WindowTest, DeadAndMadeUpIdsAreNoWindows) {
  EXPECT_FALSE(plat::IsNativeWindow(0));
  EXPECT_FALSE(plat::IsNativeWindow(0x7ffffff));
  EXPECT_FALSE(plat::IsNativeWindow(1234));
  // A preview for a window that does not exist is refused, not a crash.
  EXPECT_EQ(Make(plat::WindowKind::Child, 0, 0, 0x7ffffff), 0u);
}

TEST_F(WindowTest, AdoptedWindowIsOursToPostToButNotToDestroy) {
  HostProcess host;
  ASSERT_TRUE(host.Start("KiruHost", "Dialog"));
  plat::HWND adopted = plat::x11::AdoptNativeWindow(host.xid, RecordingProc);
  ASSERT_NE(adopted, 0u);
  EXPECT_EQ(Count(plat::WM_CREATE), 0);
  plat::RECT rect;
  ASSERT_TRUE(plat::GetClientRect(adopted, &rect));
  EXPECT_EQ(rect.right, 320);
  char title[32];
  plat::GetWindowText(adopted, title, sizeof title);
  EXPECT_STREQ(title, "Dialog");
  ASSERT_TRUE(plat::PostMessage(adopted, plat::WM_USER + 2, 0, 0));
  EXPECT_TRUE(PumpUntil([] { return Count(plat::WM_USER + 2) == 1; }));
  plat::DestroyWindow(adopted);
  EXPECT_EQ(Count(plat::WM_DESTROY), 1);
  EXPECT_TRUE(plat::IsNativeWindow(host.xid));
}

}  // namespace
