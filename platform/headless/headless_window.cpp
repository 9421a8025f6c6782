// Windows without a display: records bound in the message layer, sized from a
// pretend desktop, with titles, stacking and cursor calls remembered for tests.
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "platform/desktop.h"
#include "platform/headless/headless.h"
#include "platform/monitors.h"
#include "platform/queue.h"
#include "platform/window.h"

namespace plat {

void ChooseDesktop(DesktopRole) {}  // the only desktop there is

namespace headless {
namespace {

struct WindowRecord {
  WindowKind kind = WindowKind::TopLevel;
  std::string className;
  std::string title;
  HWND parent = 0;
  RECT rect;  // in screen coordinates
  bool visible = false;
  bool minimised = false;
  int raises = 0;
};

constexpr HWND DESKTOP = 1;  // below every handle the message layer hands out

std::mutex g_lock;
std::map<HWND, WindowRecord> g_windows;
int g_nDesktopWidth = 1024, g_nDesktopHeight = 768;
HWND g_hForeground = 0;
bool g_bCursorShown = true;
bool g_bCursorClipped = false;
DisplayLostHook g_pDisplayLost = nullptr;
std::vector<MonitorInfo> g_Monitors;  // empty: the desktop is one monitor
bool g_bClaimedElsewhere = false;

}  // namespace

void SetSaverClaimedElsewhereForTesting(bool claimed) { g_bClaimedElsewhere = claimed; }

void SetMonitorsForTesting(std::vector<MonitorInfo> monitors) {
  std::lock_guard<std::mutex> guard(g_lock);
  g_Monitors = std::move(monitors);
}

DisplayLostHook DisplayLostHookForTesting() { return g_pDisplayLost; }

void SetDesktopSizeForTesting(int width, int height) {
  std::lock_guard<std::mutex> guard(g_lock);
  g_nDesktopWidth = width;
  g_nDesktopHeight = height;
}

int RaiseCount(HWND window) {
  std::lock_guard<std::mutex> guard(g_lock);
  auto it = g_windows.find(window);
  return it == g_windows.end() ? 0 : it->second.raises;
}

void MinimiseForTesting(HWND window, bool minimised) {
  std::lock_guard<std::mutex> guard(g_lock);
  auto it = g_windows.find(window);
  if (it != g_windows.end()) it->second.minimised = minimised;
}

bool CursorShown() { return g_bCursorShown; }
bool CursorClipped() { return g_bCursorClipped; }

std::string WindowTitle(HWND window) {
  std::lock_guard<std::mutex> guard(g_lock);
  auto it = g_windows.find(window);
  return it == g_windows.end() ? std::string() : it->second.title;
}

void ResetWindowsForTesting() {
  for (;;) {
    HWND window = 0;
    {
      std::lock_guard<std::mutex> guard(g_lock);
      if (g_windows.empty()) break;
      window = g_windows.begin()->first;
    }
    DestroyWindow(window);
  }
  std::lock_guard<std::mutex> guard(g_lock);
  g_nDesktopWidth = 1024;
  g_nDesktopHeight = 768;
  g_Monitors.clear();
  g_bClaimedElsewhere = false;
  g_hForeground = 0;
  g_bCursorShown = true;
  g_bCursorClipped = false;
  g_pDisplayLost = nullptr;
}

}  // namespace headless

using headless::g_lock;
using headless::g_windows;
using headless::DESKTOP;

HWND CreateWindow(const WindowSpec& desc) {
  headless::WindowRecord record;
  record.kind = desc.kind;
  record.className = desc.className ? desc.className : "";
  record.title = desc.title ? desc.title : "";
  record.parent = desc.parent;
  {
    std::lock_guard<std::mutex> guard(g_lock);
    if (desc.kind == WindowKind::FullScreen) {
      record.rect = RECT{0, 0, headless::g_nDesktopWidth, headless::g_nDesktopHeight};
    } else {
      int width = desc.width, height = desc.height;
      auto parent = g_windows.find(desc.parent);
      if (desc.kind == WindowKind::Child && parent != g_windows.end() && width == 0 && height == 0) {
        width = parent->second.rect.right - parent->second.rect.left;
        height = parent->second.rect.bottom - parent->second.rect.top;
      }
      record.rect = RECT{desc.x, desc.y, desc.x + width, desc.y + height};
    }
  }
  HWND window = AllocWindowHandle();
  {
    std::lock_guard<std::mutex> guard(g_lock);
    g_windows[window] = record;
  }
  BindWindow(window, GetCurrentThreadId(), desc.proc);
  if (SendMessage(window, WM_CREATE, 0, 0) == -1) {
    DestroyWindow(window);
    return 0;
  }
  return window;
}

void DestroyWindow(HWND window) {
  if (!IsWindow(window)) return;
  SendMessage(window, WM_DESTROY, 0, 0);
  UnbindWindow(window);
  std::lock_guard<std::mutex> guard(g_lock);
  g_windows.erase(window);
  if (headless::g_hForeground == window) headless::g_hForeground = 0;
}

bool IsWindow(HWND window) {
  std::lock_guard<std::mutex> guard(g_lock);
  return g_windows.count(window) != 0;
}

bool GetClientRect(HWND window, RECT* rect) {
  RECT screen;
  if (!GetWindowRect(window, &screen)) return false;
  if (rect) *rect = RECT{0, 0, screen.right - screen.left, screen.bottom - screen.top};
  return true;
}

bool GetWindowRect(HWND window, RECT* rect) {
  std::lock_guard<std::mutex> guard(g_lock);
  RECT found;
  if (window == DESKTOP) {
    found = RECT{0, 0, headless::g_nDesktopWidth, headless::g_nDesktopHeight};
  } else {
    auto it = g_windows.find(window);
    if (it == g_windows.end()) return false;
    found = it->second.rect;
  }
  if (rect) *rect = found;
  return true;
}

HWND GetDesktopWindow() { return DESKTOP; }

HWND GetParent(HWND window) {
  std::lock_guard<std::mutex> guard(g_lock);
  auto it = g_windows.find(window);
  return it == g_windows.end() ? 0 : it->second.parent;
}

HWND GetForegroundWindow() {
  std::lock_guard<std::mutex> guard(g_lock);
  return headless::g_hForeground;
}

bool SetForegroundWindow(HWND window) {
  std::lock_guard<std::mutex> guard(g_lock);
  if (!g_windows.count(window)) return false;
  headless::g_hForeground = window;
  return true;
}

bool SetWindowText(HWND window, const char* text) {
  std::lock_guard<std::mutex> guard(g_lock);
  auto it = g_windows.find(window);
  if (it == g_windows.end()) return false;
  it->second.title = text ? text : "";
  return true;
}

int GetWindowText(HWND window, char* buffer, int size) {
  if (!buffer || size <= 0) return 0;
  std::string title = headless::WindowTitle(window);
  int n = static_cast<int>(title.size()) < size - 1 ? static_cast<int>(title.size()) : size - 1;
  title.copy(buffer, static_cast<std::size_t>(n));
  buffer[n] = '\0';
  return n;
}

bool ShowWindow(HWND window, bool show) {
  std::lock_guard<std::mutex> guard(g_lock);
  auto it = g_windows.find(window);
  if (it == g_windows.end()) return false;
  bool was = it->second.visible;
  it->second.visible = show;
  return was;
}

// Only a test minimises a window here: nothing is ever hidden from drawing otherwise.
bool IsIconic(HWND window) {
  std::lock_guard<std::mutex> guard(g_lock);
  auto it = g_windows.find(window);
  return it != g_windows.end() && it->second.minimised;
}

bool RaiseWindow(HWND window) {
  std::lock_guard<std::mutex> guard(g_lock);
  auto it = g_windows.find(window);
  if (it == g_windows.end()) return false;
  ++it->second.raises;
  return true;
}

bool LowerWindow(HWND window) { return IsWindow(window); }

SaverClaim ClaimSaverInstance() {
  return headless::g_bClaimedElsewhere ? SaverClaim::Elsewhere : SaverClaim::Held;
}

std::vector<MonitorInfo> GetMonitors() {
  std::lock_guard<std::mutex> guard(g_lock);
  if (!headless::g_Monitors.empty()) return headless::g_Monitors;
  MonitorInfo whole;
  whole.rect = whole.work = RECT{0, 0, headless::g_nDesktopWidth, headless::g_nDesktopHeight};
  whole.primary = true;
  return {whole};
}

bool CoverScreen(HWND window) {
  RECT desktop;
  {
    std::lock_guard<std::mutex> guard(g_lock);
    auto it = g_windows.find(window);
    if (it == g_windows.end() || it->second.kind != WindowKind::FullScreen) return false;
    desktop = RECT{0, 0, headless::g_nDesktopWidth, headless::g_nDesktopHeight};
    it->second.rect = desktop;
  }
  PostMessage(window, WM_SIZE, 0, static_cast<LPARAM>((desktop.bottom << 16) | (desktop.right & 0xFFFF)));
  return true;
}

bool MoveWindow(HWND window, int x, int y) {
  std::lock_guard<std::mutex> guard(g_lock);
  auto it = g_windows.find(window);
  if (it == g_windows.end()) return false;
  RECT& r = it->second.rect;
  r = RECT{x, y, x + (r.right - r.left), y + (r.bottom - r.top)};
  return true;
}

// Native ids are our own handles: there is no other client to find.
unsigned long FindNativeWindow(const char* className, const char* title) {
  std::lock_guard<std::mutex> guard(g_lock);
  for (const auto& [window, record] : g_windows) {
    if (className && record.className != className) continue;
    if (title && record.title != title) continue;
    return static_cast<unsigned long>(window);
  }
  return 0;
}

bool IsNativeWindow(unsigned long nativeId) { return IsWindow(static_cast<HWND>(nativeId)); }
bool RaiseNativeWindow(unsigned long nativeId) { return RaiseWindow(static_cast<HWND>(nativeId)); }

void SetDisplayLostHook(DisplayLostHook hook) { headless::g_pDisplayLost = hook; }

bool GetCursorPos(POINT* point) {
  if (point) *point = POINT{0, 0};
  return true;
}

void ShowCursor(bool show) { headless::g_bCursorShown = show; }
void ClipCursor(const RECT* rect) { headless::g_bCursorClipped = rect != nullptr; }

}  // namespace plat
