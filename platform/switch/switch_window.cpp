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

using desktops::OnWayland;
using desktops::WaylandWindow;

HWND CreateWindow(const WindowSpec& desc) {
  if (OnWayland() && desc.kind == WindowKind::FullScreen) return wayland::CreateWindow(desc);
  return x11::CreateWindow(desc);
}

void DestroyWindow(HWND window) {
  WaylandWindow(window) ? wayland::DestroyWindow(window) : x11::DestroyWindow(window);
}

bool IsWindow(HWND window) { return WaylandWindow(window) ? wayland::IsWindow(window) : x11::IsWindow(window); }

bool GetClientRect(HWND window, RECT* rect) {
  return WaylandWindow(window) ? wayland::GetClientRect(window, rect) : x11::GetClientRect(window, rect);
}

bool GetWindowRect(HWND window, RECT* rect) {
  return WaylandWindow(window) ? wayland::GetWindowRect(window, rect) : x11::GetWindowRect(window, rect);
}

HWND GetDesktopWindow() { return OnWayland() ? wayland::GetDesktopWindow() : x11::GetDesktopWindow(); }
HWND GetParent(HWND window) { return WaylandWindow(window) ? 0 : x11::GetParent(window); }

HWND GetForegroundWindow() {
  if (!OnWayland()) return x11::GetForegroundWindow();
  HWND saver = wayland::GetForegroundWindow();
  return saver ? saver : x11::GetForegroundWindow();
}

bool SetForegroundWindow(HWND window) { return WaylandWindow(window) || x11::SetForegroundWindow(window); }

bool SetWindowText(HWND window, const char* text) {
  return WaylandWindow(window) ? wayland::SetWindowText(window, text) : x11::SetWindowText(window, text);
}

int GetWindowText(HWND window, char* buffer, int size) {
  return WaylandWindow(window) ? wayland::GetWindowText(window, buffer, size)
                               : x11::GetWindowText(window, buffer, size);
}

bool ShowWindow(HWND window, bool show) {
  return WaylandWindow(window) ? wayland::ShowWindow(window, show) : x11::ShowWindow(window, show);
}

bool IsIconic(HWND window) { return WaylandWindow(window) ? wayland::IsIconic(window) : x11::IsIconic(window); }

// Layer surfaces keep their layer: raising is already done, lowering and moving
// are the compositor's business.
bool RaiseWindow(HWND window) { return WaylandWindow(window) || x11::RaiseWindow(window); }
bool LowerWindow(HWND window) { return !WaylandWindow(window) && x11::LowerWindow(window); }
bool MoveWindow(HWND window, int x, int y) { return !WaylandWindow(window) && x11::MoveWindow(window, x, y); }

// A Wayland client sees no other client's surfaces: one saver at a time is the
// claim's business there.
unsigned long FindNativeWindow(const char* className, const char* title) {
  return OnWayland() || desktops::NoneUsable() ? 0 : x11::FindNativeWindow(className, title);
}
bool IsNativeWindow(unsigned long nativeId) { return x11::IsNativeWindow(nativeId); }
bool RaiseNativeWindow(unsigned long nativeId) { return x11::RaiseNativeWindow(nativeId); }

SaverClaim ClaimSaverInstance() {
  if (desktops::NoneUsable()) return SaverClaim::NoDisplay;
  return OnWayland() ? wayland::ClaimSaverInstance() : x11::ClaimSaverInstance();
}

// Either connection may break; what must be saved is saved either way.
void SetDisplayLostHook(DisplayLostHook hook) {
  if (OnWayland()) wayland::SetDisplayLostHook(hook);
  x11::SetDisplayLostHook(hook);
}

bool GetCursorPos(POINT* point) { return OnWayland() ? wayland::GetCursorPos(point) : x11::GetCursorPos(point); }
void ShowCursor(bool show) { OnWayland() ? wayland::ShowCursor(show) : x11::ShowCursor(show); }

// Over the Wayland saver a dialog holds the pointer itself: the saver hears none.
void ClipCursor(const RECT* rect) {
  if (!OnWayland()) x11::ClipCursor(rect);
}

std::vector<MonitorInfo> GetMonitors() { return OnWayland() ? wayland::GetMonitors() : x11::GetMonitors(); }

bool CoverScreen(HWND window) {
  return WaylandWindow(window) ? wayland::CoverScreen(window) : x11::CoverScreen(window);
}

bool IsDisplayAsleep() { return OnWayland() ? wayland::IsDisplayAsleep() : x11::IsDisplayAsleep(); }

unsigned long GetNativeRootWindow() { return x11::GetNativeRootWindow(); }
bool GetNativeClientRect(unsigned long nativeId, RECT* rect) { return x11::GetNativeClientRect(nativeId, rect); }
bool TakesHackFlags() { return x11::TakesHackFlags(); }

}  // namespace plat
