// Windows are the system's own, created through one class per class name whose
// procedure forwards to ours; native ids are window handles.
#include "platform/window.h"

#include <algorithm>

#include "platform/desktop.h"
#include "platform/nativehost.h"
#include "platform/power.h"
#include "platform/queue.h"
#include "platform/windows/windows_winapi.h"

namespace plat {

void ChooseDesktop(DesktopRole) {}  // the only desktop there is

using namespace win32;

namespace {

// The saver's class: its own device context (the GL context is built on it),
// redrawn on resize, double clicks, a black background, no class cursor.
constexpr UINT SAVER_CLASS_STYLE = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS | CS_OWNDC;
// Marks the full-screen saver, which stays topmost also after it was lowered for a
// while (under "Remove Kiru"'s notice) and so lost the topmost style.
constexpr const char* FULL_SCREEN_PROP = "KiruFullScreen";

struct Styles {
  DWORD style = 0, exStyle = 0;
};

Styles StylesOf(WindowKind kind) {
  switch (kind) {
    case WindowKind::FullScreen:
      return {WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, WS_EX_TOPMOST};
    case WindowKind::Child:
      return {WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0};
    case WindowKind::TopLevel:
      break;
  }
  return {WS_OVERLAPPEDWINDOW | WS_VISIBLE | WS_CLIPCHILDREN, 0};
}

}  // namespace

HWND CreateWindow(const WindowSpec& desc) {
  if (!desc.proc) return 0;
  const char* className = desc.className && *desc.className ? desc.className : "KiruWindow";
  if (!EnsureWindowClass(className, SAVER_CLASS_STYLE, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH))))
    return 0;
  Styles styles = StylesOf(desc.kind);
  int x = desc.x, y = desc.y, width = desc.width, height = desc.height;
  ::HWND parent = nullptr;
  switch (desc.kind) {
    case WindowKind::FullScreen:
      // Every monitor: the virtual screen, whose origin lies left of or above the
      // primary monitor's when a monitor sits there.
      x = ::GetSystemMetrics(SM_XVIRTUALSCREEN);
      y = ::GetSystemMetrics(SM_YVIRTUALSCREEN);
      width = ::GetSystemMetrics(SM_CXVIRTUALSCREEN);
      height = ::GetSystemMetrics(SM_CYVIRTUALSCREEN);
      break;
    case WindowKind::Child:
      parent = desc.parent ? Native(desc.parent) : reinterpret_cast<::HWND>(desc.nativeParent);
      if (!parent) return 0;
      break;
    case WindowKind::TopLevel:
      if (width <= 0) width = 640;
      if (height <= 0) height = 480;
      x = y = static_cast<int>(CW_USEDEFAULT);
      break;
  }
  BindCreating(desc.proc);
  ::HWND window = ::CreateWindowExA(styles.exStyle, className, desc.title ? desc.title : "", styles.style, x,
                                    y, width, height, parent, nullptr, ::GetModuleHandleA(nullptr), nullptr);
  BindCreating(nullptr);
  if (window && desc.kind == WindowKind::FullScreen) ::SetPropA(window, FULL_SCREEN_PROP, window);
  return Ours(window);
}

void DestroyWindow(HWND window) { ::DestroyWindow(Native(window)); }

LRESULT DefWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return ::DefWindowProcA(Native(window), message, wParam, lParam);
}

bool IsWindow(HWND window) { return window != 0 && ::IsWindow(Native(window)); }

bool GetClientRect(HWND window, RECT* rect) {
  ::RECT r;
  if (!rect || !::GetClientRect(Native(window), &r)) return false;
  *rect = RECT{r.left, r.top, r.right, r.bottom};
  return true;
}

bool GetWindowRect(HWND window, RECT* rect) {
  ::RECT r;
  if (!rect || !::GetWindowRect(Native(window), &r)) return false;
  *rect = RECT{r.left, r.top, r.right, r.bottom};
  return true;
}

HWND GetDesktopWindow() { return Ours(::GetDesktopWindow()); }
HWND GetParent(HWND window) { return Ours(::GetParent(Native(window))); }
HWND GetForegroundWindow() { return Ours(::GetForegroundWindow()); }
bool SetForegroundWindow(HWND window) { return ::SetForegroundWindow(Native(window)) != 0; }
bool SetWindowText(HWND window, const char* text) { return ::SetWindowTextA(Native(window), text) != 0; }

int GetWindowText(HWND window, char* buffer, int size) {
  if (!buffer || size <= 0) return 0;
  buffer[0] = '\0';
  return ::GetWindowTextA(Native(window), buffer, size);
}

bool ShowWindow(HWND window, bool show) {
  if (!IsWindow(window)) return false;
  ::ShowWindow(Native(window), show ? SW_SHOW : SW_HIDE);
  return true;
}

bool IsIconic(HWND window) {
  ::HWND w = Native(window);
  return ::IsIconic(w) || !::IsWindowVisible(w);
}

namespace {

// Whether a shown window lies above this one.
bool Covered(::HWND w) {
  for (::HWND above = ::GetWindow(w, GW_HWNDPREV); above; above = ::GetWindow(above, GW_HWNDPREV))
    if (::IsWindowVisible(above)) return true;
  return false;
}

}  // namespace

bool RaiseWindow(HWND window) {
  ::HWND w = Native(window);
  constexpr UINT KEEP = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;
  if ((::GetWindowLongA(w, GWL_EXSTYLE) & WS_EX_TOPMOST) == 0 && !::GetPropA(w, FULL_SCREEN_PROP))
    return ::SetWindowPos(w, Native(HWND_TOP), 0, 0, 0, 0, KEEP) != 0;
  // A topmost window (the full-screen saver) stays uppermost and keeps the keyboard:
  // when another window took the foreground or was shown over it (a notification,
  // an installer), it takes both back, or Esc would go to that window instead.
  bool lost = ::GetForegroundWindow() != w || Covered(w);
  // Already first among the topmost windows, a window is not restacked on the
  // screen (Wine's X11 windows included) although another one was shown over it:
  // stepped out of the topmost band and back, it is. The foreground is taken back
  // here only, after that: were the call below to activate too, a window taking the
  // foreground just after the look above would lose it to the saver unrestacked,
  // and stay over it for good.
  if (lost) ::SetWindowPos(w, Native(HWND_NOTOPMOST), 0, 0, 0, 0, KEEP);
  bool raised = ::SetWindowPos(w, Native(HWND_TOPMOST), 0, 0, 0, 0, KEEP | SWP_SHOWWINDOW) != 0;
  if (lost) ::SetForegroundWindow(w);
  return raised;
}

bool LowerWindow(HWND window) {
  ::HWND w = Native(window);
  if ((::GetWindowLongA(w, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0)
    ::SetWindowPos(w, Native(HWND_NOTOPMOST), 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  return ::SetWindowPos(w, Native(HWND_BOTTOM), 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE) != 0;
}

bool MoveWindow(HWND window, int x, int y) {
  return ::SetWindowPos(Native(window), nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE) != 0;
}

unsigned long FindNativeWindow(const char* className, const char* title) {
  return ToNativeId(::FindWindowA(className && *className ? className : nullptr, title && *title ? title : nullptr));
}

// A named mutex is created atomically: the second of two savers started together
// finds it there. The handle stays open for the process's life.
SaverClaim ClaimSaverInstance() {
  static bool s_bHeld = false;
  if (s_bHeld) return SaverClaim::Held;
  ::HANDLE mutex = ::CreateMutexA(nullptr, FALSE, "Kiru Screen Saver Instance");
  if (!mutex) return SaverClaim::Elsewhere;
  if (::GetLastError() == ERROR_ALREADY_EXISTS) {
    ::CloseHandle(mutex);
    return SaverClaim::Elsewhere;
  }
  s_bHeld = true;
  return SaverClaim::Held;
}

bool IsNativeWindow(unsigned long nativeId) {
  return nativeId != 0 && ::IsWindow(FromNativeId(nativeId));
}

bool RaiseNativeWindow(unsigned long nativeId) {
  if (!IsNativeWindow(nativeId)) return false;
  return ::SetForegroundWindow(FromNativeId(nativeId)) != 0;
}

bool GetCursorPos(POINT* point) {
  ::POINT p;
  if (!point || !::GetCursorPos(&p)) return false;
  *point = POINT{p.x, p.y};
  return true;
}

void ShowCursor(bool show) {
  // The saver's class has no cursor: setting none hides it over the saver, and the
  // class cursor of whatever lies under it comes back once the pointer leaves.
  ::SetCursor(show ? ::LoadCursorA(nullptr, IDC_ARROW) : nullptr);
}

void ClipCursor(const RECT* rect) {
  if (!rect) {
    ::ClipCursor(nullptr);
    return;
  }
  ::RECT r{rect->left, rect->top, rect->right, rect->bottom};
  ::ClipCursor(&r);
}

unsigned long GetNativeRootWindow() {
  return ToNativeId(::GetDesktopWindow());
}

bool TakesHackFlags() { return false; }

bool GetNativeClientRect(unsigned long nativeId, RECT* rect) {
  ::RECT r;
  if (!IsNativeWindow(nativeId) || !rect ||
      !::GetClientRect(FromNativeId(nativeId), &r))
    return false;
  *rect = RECT{0, 0, r.right, r.bottom};
  return true;
}

// Windows powers its monitors down by itself and sends no paint while they are off.
bool IsDisplayAsleep() { return false; }

// A Windows process has no display connection that could break under it.
void SetDisplayLostHook(DisplayLostHook) {}

}  // namespace plat
