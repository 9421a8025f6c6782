// Asked on the backend's own connection: a second connection that opens and
// closes would, on a server with no other client, make it reset under us.
#include "platform/nativehost.h"

#include <X11/Xlib.h>

#include "platform/x11/x11_display.h"

namespace plat::x11 {

unsigned long GetNativeRootWindow() {
  Display* display = x11::GetDisplay();
  return display ? DefaultRootWindow(display) : 0;
}

bool TakesHackFlags() { return true; }

bool GetNativeClientRect(unsigned long nativeId, RECT* rect) {
  Display* display = x11::GetDisplay();
  if (!display || nativeId == 0 || !rect) return false;
  XWindowAttributes attributes{};
  if (!XGetWindowAttributes(display, static_cast<Window>(nativeId), &attributes)) return false;
  *rect = RECT{0, 0, attributes.width, attributes.height};
  return true;
}

}  // namespace plat::x11
