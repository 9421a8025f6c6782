#include "shell/saverwndproc.h"

#include "platform/clock.h"
#include "platform/password.h"
#include "platform/queue.h"
#include "platform/window.h"
#include "render/runstate.h"
#include "shell/saverloop.h"
#include "shell/saverproc.h"

using namespace plat;

namespace {

WNDPROC g_pHandler = nullptr;

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

void SetSaverHandlerForTesting(WNDPROC handler) { g_pHandler = handler; }

LRESULT SaverWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      // Known to the handler already while it sets up (Win32 learns it only on return).
      g_hSaverWnd = window;
      DetachInputMethod(window);
      ReadSaverCursor(&g_ptLast);
      if (!g_bPreview) HideSaverCursor();
      break;
    case WM_DESTROY:
      RestoreInputMethod(window);
      PostQuitMessage(0);
      break;
    case WM_SETTEXT:
      return 0;
    case WM_PAINT:
      if (g_bVerified) return DefaultSaverProc(window, message, wParam, lParam);
      if (!g_bPreview) HideSaverCursor();
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
