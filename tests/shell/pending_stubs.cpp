// Temporary stand-ins for pieces that other branches are building (the headless
// window layer, the frame pump's handler, the settings dialog). Each goes when
// its real counterpart is on main.
#include <map>

#include "platform/queue.h"
#include "platform/window.h"
#include "render/framepump.h"
#include "shell/saverproc.h"

namespace plat {
namespace {
std::map<HWND, HWND> g_parents;
}

HWND CreateWindow(const WindowSpec& spec) {
  HWND window = AllocWindowHandle();
  BindWindow(window, GetCurrentThreadId(), spec.proc);
  g_parents[window] = spec.parent;
  if (SendMessage(window, WM_CREATE, 0, 0) == -1) {
    UnbindWindow(window);
    return 0;
  }
  return window;
}
void DestroyWindow(HWND window) {
  if (!IsWindowBound(window)) return;
  SendMessage(window, WM_DESTROY, 0, 0);
  UnbindWindow(window);
}
bool IsWindow(HWND window) { return window != 0 && IsWindowBound(window); }
bool GetClientRect(HWND, RECT* rect) {
  *rect = RECT{0, 0, 1024, 768};
  return true;
}
HWND GetDesktopWindow() { return 1; }
HWND GetParent(HWND window) { return g_parents.count(window) ? g_parents[window] : 0; }
HWND GetForegroundWindow() { return 0; }
bool SetForegroundWindow(HWND) { return true; }
unsigned long FindNativeWindow(const char*, const char*) { return 0; }
bool IsNativeWindow(unsigned long) { return false; }
bool RaiseNativeWindow(unsigned long) { return false; }
bool GetCursorPos(POINT* point) {
  *point = POINT{};
  return true;
}
void ShowCursor(bool) {}
}  // namespace plat

plat::LRESULT SaverHandler(plat::HWND window, plat::UINT message, plat::WPARAM wParam, plat::LPARAM lParam) {
  return GenericSaverProc(window, message, wParam, lParam);
}

int RunSettingsDialog(plat::HWND) { return 0; }
