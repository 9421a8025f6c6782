// Read on a connection of its own: both questions are asked once, before the
// saver window exists, and must not disturb the backend's event stream.
#include "platform/nativehost.h"

#include <X11/Xlib.h>

namespace plat {
namespace {

bool g_bBadWindow = false;

int NoteError(Display*, XErrorEvent*) {
  g_bBadWindow = true;
  return 0;
}

}  // namespace

unsigned long GetNativeRootWindow() {
  Display* display = XOpenDisplay(nullptr);
  if (!display) return 0;
  unsigned long root = DefaultRootWindow(display);
  XCloseDisplay(display);
  return root;
}

bool GetNativeClientRect(unsigned long nativeId, RECT* rect) {
  if (nativeId == 0 || !rect) return false;
  Display* display = XOpenDisplay(nullptr);
  if (!display) return false;
  XSync(display, False);
  g_bBadWindow = false;
  auto previous = XSetErrorHandler(NoteError);
  XWindowAttributes attributes{};
  Status ok = XGetWindowAttributes(display, static_cast<Window>(nativeId), &attributes);
  XSync(display, False);
  XSetErrorHandler(previous);
  bool found = ok != 0 && !g_bBadWindow;
  XCloseDisplay(display);
  if (!found) return false;
  *rect = RECT{0, 0, attributes.width, attributes.height};
  return true;
}

}  // namespace plat
