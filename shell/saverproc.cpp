#include "shell/saverproc.h"

#include <cstdlib>

#include "platform/clock.h"
#include "platform/password.h"
#include "platform/queue.h"
#include "platform/window.h"
#include "render/runstate.h"
#include "shell/saverpassword.h"
#include "shell/saverstate.h"
#include "ui/warning.h"

using namespace plat;

POINT g_ptLast;

namespace {

CursorPosSource g_pCursorPos = nullptr;
CursorShower g_pCursorShower = nullptr;

}  // namespace

bool ReadSaverCursor(POINT* point) { return g_pCursorPos ? g_pCursorPos(point) : GetCursorPos(point); }

void HideSaverCursor() {
  if (g_pCursorShower)
    g_pCursorShower(false);
  else
    ShowCursor(false);
}

void SetCursorHooksForTesting(CursorPosSource position, CursorShower shower) {
  g_pCursorPos = position;
  g_pCursorShower = shower;
}

LRESULT DefaultSaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProc(window, message, wParam, lParam);
}

LRESULT GenericSaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (g_bPreview || g_bVerified) return DefaultSaverProc(window, message, wParam, lParam);

  switch (message) {
    case WM_CLOSE:
      if (g_bWin9x && !VerifyPassword(window)) {
        ReadSaverCursor(&g_ptLast);
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
      HideSaverCursor();
      return 1;
    case WM_SHOWWINDOW:
      if (wParam != 0) HideSaverCursor();
      break;
    case WM_DISPLAYCHANGE:
      // The screen shrank or a monitor went, and the server kept the pointer on what
      // is left: only the user's own motion counts toward the distance.
      ReadSaverCursor(&g_ptLast);
      break;
    case WM_MOUSEMOVE: {
      POINT p;
      if (!ReadSaverCursor(&p)) break;
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
