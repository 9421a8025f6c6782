// Without a display the native windows are the backend's own, and there is no root.
#include "platform/nativehost.h"
#include "platform/window.h"

namespace plat {

unsigned long GetNativeRootWindow() { return 0; }

// As the desktop it stands in for.
#ifdef _WIN32
bool TakesHackFlags() { return false; }
#else
bool TakesHackFlags() { return true; }
#endif

bool GetNativeClientRect(unsigned long nativeId, RECT* rect) {
  return IsNativeWindow(nativeId) && GetClientRect(static_cast<HWND>(nativeId), rect);
}

}  // namespace plat
