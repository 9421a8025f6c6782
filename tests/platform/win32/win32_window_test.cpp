// The Win32 window rules: the saver's class and window styles, the procedure of
// ours behind each window, the close path, and the queue's contract.
#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

#include "platform/monitors.h"
#include "platform/queue.h"
#include "platform/window.h"
#include "shell/saverproc.h"
#include "shell/saverwndproc.h"
#include "platform/windows/windows_winapi.h"

namespace {

std::vector<UINT> g_seen;
LRESULT g_createResult = 0;

plat::LRESULT Recorder(plat::HWND window, UINT message, plat::WPARAM wParam, plat::LPARAM lParam) {
  g_seen.push_back(message);
  if (message == WM_CREATE) return g_createResult;
  return plat::DefWindowProc(window, message, wParam, lParam);
}

bool Saw(UINT message) {
  for (UINT m : g_seen)
    if (m == message) return true;
  return false;
}

plat::HWND Make(plat::WindowKind kind, const char* title, plat::HWND parent = 0) {
  plat::WindowSpec desc;
  desc.kind = kind;
  desc.className = "WindowsScreenSaverClass";
  desc.title = title;
  desc.parent = parent;
  desc.width = 120;
  desc.height = 90;
  desc.proc = Recorder;
  return plat::CreateWindow(desc);
}

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_seen.clear();
    g_createResult = 0;
  }
};

TEST_F(WindowTest, FullScreenSaverWindowHasTheSaversClassAndStyles) {
  plat::HWND window = Make(plat::WindowKind::FullScreen, "Screen Saver");
  ASSERT_NE(window, 0u);
  ::HWND w = plat::win32::Native(window);
  EXPECT_TRUE(Saw(WM_NCCREATE)) << "bound while the system creates it";
  EXPECT_TRUE(Saw(WM_CREATE));

  WNDCLASSA cls;
  ASSERT_TRUE(::GetClassInfoA(::GetModuleHandleA(nullptr), "WindowsScreenSaverClass", &cls));
  EXPECT_EQ(cls.style, 0x2Bu);
  EXPECT_EQ(cls.hCursor, nullptr);
  EXPECT_EQ(cls.hbrBackground, ::GetStockObject(BLACK_BRUSH));
  EXPECT_EQ(static_cast<DWORD>(::GetWindowLongA(w, GWL_STYLE)), 0x96000000u);
  EXPECT_TRUE(::GetWindowLongA(w, GWL_EXSTYLE) & WS_EX_TOPMOST);

  // Every monitor: the virtual screen, which holds each monitor the system lists.
  plat::RECT rect;
  ASSERT_TRUE(plat::GetWindowRect(window, &rect));
  EXPECT_EQ(rect.left, ::GetSystemMetrics(SM_XVIRTUALSCREEN));
  EXPECT_EQ(rect.top, ::GetSystemMetrics(SM_YVIRTUALSCREEN));
  EXPECT_EQ(rect.right - rect.left, ::GetSystemMetrics(SM_CXVIRTUALSCREEN));
  EXPECT_EQ(rect.bottom - rect.top, ::GetSystemMetrics(SM_CYVIRTUALSCREEN));
  std::vector<plat::MonitorInfo> monitors = plat::GetMonitors();
  int primaries = 0;
  for (const plat::MonitorInfo& m : monitors) {
    std::printf("monitor %d,%d %dx%d%s\n", m.rect.left, m.rect.top, m.rect.right - m.rect.left,
                m.rect.bottom - m.rect.top, m.primary ? " primary" : "");
    EXPECT_TRUE(plat::CoversMonitor(rect, m));
    primaries += m.primary;
  }
  EXPECT_EQ(primaries, 1);
  EXPECT_EQ(plat::FindNativeWindow("WindowsScreenSaverClass", "Screen Saver"),
            static_cast<unsigned long>(window));

  plat::RaiseWindow(window);
  EXPECT_TRUE(::GetWindowLongA(w, GWL_EXSTYLE) & WS_EX_TOPMOST) << "raising keeps it topmost";
  plat::LowerWindow(window);  // under "Remove Kiru"'s notice
  EXPECT_FALSE(::GetWindowLongA(w, GWL_EXSTYLE) & WS_EX_TOPMOST);
  plat::RaiseWindow(window);
  EXPECT_TRUE(::GetWindowLongA(w, GWL_EXSTYLE) & WS_EX_TOPMOST) << "the next frame puts it on top again";
  EXPECT_EQ(::GetForegroundWindow(), w) << "and gives it the keyboard";

  // A close request left to the system destroys the window.
  plat::SendMessage(window, WM_CLOSE, 0, 0);
  EXPECT_TRUE(Saw(WM_DESTROY));
  EXPECT_FALSE(plat::IsWindow(window));
  EXPECT_EQ(plat::GetWindowProc(window), nullptr) << "forgotten with the window";
}

TEST_F(WindowTest, PreviewIsAChildOfItsHost) {
  plat::HWND host = Make(plat::WindowKind::TopLevel, "host");
  ASSERT_NE(host, 0u);
  plat::WindowSpec desc;
  desc.kind = plat::WindowKind::Child;
  desc.className = "WindowsScreenSaverClass";
  desc.title = "Preview";
  desc.nativeParent = static_cast<unsigned long>(host);
  desc.width = 152;
  desc.height = 112;
  desc.proc = Recorder;
  plat::HWND preview = plat::CreateWindow(desc);
  ASSERT_NE(preview, 0u);
  EXPECT_EQ(static_cast<DWORD>(::GetWindowLongA(plat::win32::Native(preview), GWL_STYLE)), 0x52000000u);
  EXPECT_EQ(plat::GetParent(preview), host);
  plat::RECT client;
  ASSERT_TRUE(plat::GetClientRect(preview, &client));
  EXPECT_EQ(client.right, 152);
  EXPECT_EQ(client.bottom, 112);
  plat::DestroyWindow(host);
  EXPECT_FALSE(plat::IsWindow(preview)) << "goes with its host";
}

TEST_F(WindowTest, CreationRefusedByTheProcedureMakesNoWindow) {
  g_createResult = -1;
  EXPECT_EQ(Make(plat::WindowKind::TopLevel, "refused"), 0u);
  EXPECT_TRUE(Saw(WM_CREATE));
}

TEST_F(WindowTest, SaverProcedureHidesTheCursorAndKeepsItsTitle) {
  plat::HWND window = Make(plat::WindowKind::TopLevel, "Screen Saver");
  ASSERT_NE(window, 0u);
  ::SetCursor(::LoadCursorA(nullptr, IDC_ARROW));
  // GenericSaverProc answers WM_SETCURSOR by hiding the cursor (the rules above
  // SaverHandler need no GL context for these two messages).
  SetSaverHandlerForTesting(GenericSaverProc);
  EXPECT_EQ(SaverWndProc(window, WM_SETCURSOR, 0, 0), 1);
  EXPECT_EQ(::GetCursor(), nullptr);
  EXPECT_EQ(SaverWndProc(window, WM_SETTEXT, 0, reinterpret_cast<plat::LPARAM>("other")), 0);
  char title[32];
  plat::GetWindowText(window, title, sizeof title);
  EXPECT_STREQ(title, "Screen Saver");
  SetSaverHandlerForTesting(nullptr);
  plat::DestroyWindow(window);
}

TEST_F(WindowTest, QuitIsLeftToTheThreadsLoop) {
  plat::HWND window = Make(plat::WindowKind::TopLevel, "quit");
  ASSERT_NE(window, 0u);
  plat::MSG msg;
  while (plat::PeekMessage(&msg, 0, 0, 0, PM_REMOVE)) plat::DispatchMessage(&msg);  // paints, too
  plat::PostQuitMessage(5);
  plat::PostMessage(window, WM_USER + 7, 1, 2);
  ASSERT_TRUE(plat::PeekMessage(&msg, window, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER + 7));
  EXPECT_FALSE(plat::PeekMessage(&msg, window, 0, 0, PM_REMOVE)) << "a window's drain never takes the quit";
  bool quit = false;
  while (!quit && plat::PeekMessage(&msg, 0, 0, 0, PM_REMOVE)) quit = msg.message == WM_QUIT;
  ASSERT_TRUE(quit);
  EXPECT_EQ(msg.wParam, 5u);
  plat::DestroyWindow(window);
}

}  // namespace
