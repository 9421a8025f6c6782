#include "shell/saverproc.h"

#include <cstdlib>

#include "platform/clock.h"
#include "platform/password.h"
#include "platform/queue.h"
#include "platform/window.h"
#include "render/runstate.h"
#include "shell/password.h"
#include "shell/saverloop.h"
#include "shell/saverstate.h"
#include "ui/warning.h"

using namespace plat;

POINT g_ptLast;
bool g_bVerified;
bool g_bVerifying;

namespace {

CursorPosSource g_pCursorPos = nullptr;
CursorShower g_pCursorShower = nullptr;
WNDPROC g_pHandler = nullptr;

bool ReadCursor(POINT* point) { return g_pCursorPos ? g_pCursorPos(point) : GetCursorPos(point); }

void HideCursor() {
  if (g_pCursorShower)
    g_pCursorShower(false);
  else
    ShowCursor(false);
}

LRESULT HandOn(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return (g_pHandler ? g_pHandler : &SaverHandler)(window, message, wParam, lParam);
}

bool IsSwallowedCommand(WPARAM command) {
  // The low four bits of a system command are the system's own.
  switch (command & 0xFFF0) {
    case SC_NEXTWINDOW:
    case SC_PREVWINDOW:
    case SC_SCREENSAVE:
      return true;
  }
  return false;
}

// The frame pump takes keys straight from the queue to the keyboard controls,
// past this procedure; a hosted saver drops them first so that no key ends it.
void DropQueuedKeys(HWND window) {
  MSG msg;
  while (PeekMessage(&msg, window, WM_KEYDOWN, WM_SYSKEYUP, PM_REMOVE)) {
  }
}

}  // namespace

void SetCursorHooksForTesting(CursorPosSource position, CursorShower shower) {
  g_pCursorPos = position;
  g_pCursorShower = shower;
}

void SetSaverHandlerForTesting(WNDPROC handler) { g_pHandler = handler; }

LRESULT DefaultSaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProc(window, message, wParam, lParam);
}

LRESULT SaverWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      // Known to the handler already while it sets up (Win32 learns it only on return).
      g_hSaverWnd = window;
      DetachInputMethod(window);
      ReadCursor(&g_ptLast);
      if (!g_bPreview) HideCursor();
      break;
    case WM_DESTROY:
      RestoreInputMethod(window);
      PostQuitMessage(0);
      break;
    case WM_SETTEXT:
      return 0;
    case WM_PAINT:
      if (g_bVerified) return DefaultSaverProc(window, message, wParam, lParam);
      if (!g_bPreview) HideCursor();
      break;
    case WM_HELP:
    case WM_CONTEXTMENU:
      if (g_bPreview) {
        HWND parent = GetParent(window);
        if (parent != 0 && IsWindow(parent)) PostMessage(parent, message, parent, lParam);
        return 1;
      }
      break;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      if (g_bVerified) return DefaultSaverProc(window, message, wParam, lParam);
      break;
    case WM_SYSCOMMAND:
      if (!g_bPreview && IsSwallowedCommand(wParam)) return 0;
      break;
    case WM_TIMER:
      if (g_bVerified) return 0;
      Sleep(0);
      break;
    case FramePump:
      if (g_bPreview) DropQueuedKeys(window);
      break;
  }
  return HandOn(window, message, wParam, lParam);
}

LRESULT GenericSaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (g_bPreview || g_bVerified) return DefaultSaverProc(window, message, wParam, lParam);

  switch (message) {
    case WM_CLOSE:
      if (g_bWin9x && !VerifyPassword(window)) {
        ReadCursor(&g_ptLast);
        return 0;
      }
      return DefaultSaverProc(window, message, wParam, lParam);
    case WM_VERIFY_PASSWORD:
      // The voices report a finished playback with the same number; only a
      // request made by VerifyPassword is answered as one.
      if (g_bWin9x && g_bVerifying)
        return HasSaverPasswordCheck() ? (CheckSaverPassword(window) ? 1 : 0) : 1;
      return DefaultSaverProc(window, message, wParam, lParam);
  }

  if (g_bVerifying) return DefaultSaverProc(window, message, wParam, lParam);

  switch (message) {
    case WM_SETCURSOR:
      HideCursor();
      return 1;
    case WM_SHOWWINDOW:
      if (wParam != 0) HideCursor();
      break;
    case WM_MOUSEMOVE: {
      POINT p;
      if (!ReadCursor(&p)) break;
      long distance = std::labs(static_cast<long>(p.x) - g_ptLast.x) + std::labs(static_cast<long>(p.y) - g_ptLast.y);
      if (distance > MOUSE_CLOSE_DISTANCE) {
        if (g_bWarningShown && g_bKeepRunning)
          g_bWarningShown = false;
        else
          PostMessage(window, WM_CLOSE, 0, 0);
        g_ptLast = p;
      }
      break;
    }
  }
  return DefaultSaverProc(window, message, wParam, lParam);
}
