#include "platform/window.h"

namespace plat {

// Shared by the backends: only the close request has a default action that
// this system relies on.
LRESULT DefWindowProc(HWND window, UINT message, WPARAM, LPARAM) {
  if (message == WM_CLOSE) DestroyWindow(window);
  return 0;
}

}  // namespace plat
