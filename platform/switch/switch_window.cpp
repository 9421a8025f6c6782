// window.h, monitors.h, power.h and nativehost.h for the Linux program: each call
// goes to the desktop that owns the window, or that serves full-screen saving.
// Native windows, previews and XScreenSaver's flags are X11's alone.
#include "platform/monitors.h"
#include "platform/nativehost.h"
#include "platform/power.h"
#include "platform/switch/switch_desktop.h"
#include "platform/wayland/wayland_desktop.h"
#include "platform/window.h"
#include "platform/x11/x11_desktop.h"

namespace plat {

using desktops::OfWindow;
using desktops::OnWayland;
using desktops::Serving;

HWND CreateWindow(const WindowSpec& desc) {
  if (OnWayland() && desc.kind == WindowKind::FullScreen) return wayland::CreateWindow(desc);
  return x11::CreateWindow(desc);
}

void DestroyWindow(HWND window) { OfWindow(window).destroyWindow(window); }

bool IsWindow(HWND window) { return OfWindow(window).isWindow(window); }
bool GetClientRect(HWND window, RECT* rect) { return OfWindow(window).getClientRect(window, rect); }
bool GetWindowRect(HWND window, RECT* rect) { return OfWindow(window).getWindowRect(window, rect); }

HWND GetDesktopWindow() { return Serving().getDesktopWindow(); }

HWND GetParent(HWND window) { return OfWindow(window).getParent(window); }

HWND GetForegroundWindow() {
  if (!OnWayland()) return x11::GetForegroundWindow();
  HWND saver = wayland::GetForegroundWindow();
  return saver ? saver : x11::GetForegroundWindow();
}

bool SetForegroundWindow(HWND window) { return OfWindow(window).setForegroundWindow(window); }
bool SetWindowText(HWND window, const char* text) { return OfWindow(window).setWindowText(window, text); }
int GetWindowText(HWND window, char* buffer, int size) {
  return OfWindow(window).getWindowText(window, buffer, size);
}
bool ShowWindow(HWND window, bool show) { return OfWindow(window).showWindow(window, show); }
bool IsIconic(HWND window) { return OfWindow(window).isIconic(window); }
bool RaiseWindow(HWND window) { return OfWindow(window).raiseWindow(window); }
bool LowerWindow(HWND window) { return OfWindow(window).lowerWindow(window); }
bool MoveWindow(HWND window, int x, int y) { return OfWindow(window).moveWindow(window, x, y); }

// A Wayland client sees no other client's surfaces: one saver at a time is the
// claim's business there.
unsigned long FindNativeWindow(const char* className, const char* title) {
  return OnWayland() || desktops::NoneUsable() ? 0 : x11::FindNativeWindow(className, title);
}
bool IsNativeWindow(unsigned long nativeId) { return x11::IsNativeWindow(nativeId); }
bool RaiseNativeWindow(unsigned long nativeId) { return x11::RaiseNativeWindow(nativeId); }

SaverClaim ClaimSaverInstance() {
  return desktops::NoneUsable() ? SaverClaim::NoDisplay : Serving().claimSaverInstance();
}

// Either connection may break; what must be saved is saved either way.
void SetDisplayLostHook(DisplayLostHook hook) {
  if (OnWayland()) wayland::SetDisplayLostHook(hook);
  x11::SetDisplayLostHook(hook);
}

bool GetCursorPos(POINT* point) { return Serving().getCursorPos(point); }
void ShowCursor(bool show) { Serving().showCursor(show); }

// Over the Wayland saver a dialog holds the pointer itself: the saver hears none.
void ClipCursor(const RECT* rect) {
  if (!OnWayland()) x11::ClipCursor(rect);
}

std::vector<MonitorInfo> GetMonitors() { return Serving().getMonitors(); }
bool CoverScreen(HWND window) { return OfWindow(window).coverScreen(window); }
bool IsDisplayAsleep() { return Serving().isDisplayAsleep(); }

unsigned long GetNativeRootWindow() { return x11::GetNativeRootWindow(); }
bool GetNativeClientRect(unsigned long nativeId, RECT* rect) { return x11::GetNativeClientRect(nativeId, rect); }
bool TakesHackFlags() { return x11::TakesHackFlags(); }

}  // namespace plat
