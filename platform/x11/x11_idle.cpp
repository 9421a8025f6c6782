// The idle watcher's side of the X server: MIT-SCREEN-SAVER's idle time (input, and
// XResetScreenSaver, which video players call to keep the screen on, start it
// afresh) and whether XScreenSaver's daemon runs on the display.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/scrnsaver.h>

#include "platform/x11/x11_display.h"

namespace plat::x11 {
namespace {

XScreenSaverInfo* g_pIdleInfo = nullptr;
Window g_nDaemonWindow = 0;  // where XScreenSaver's mark was last seen

bool HasVersionMark(Display* dpy, Window window, Atom version) {
  Atom type = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  ClearXError();
  bool found = XGetWindowProperty(dpy, window, version, 0, 16, False, XA_STRING, &type, &format, &count, &after,
                                  &data) == Success &&
               type == XA_STRING && LastXError() == 0;
  if (data) XFree(data);
  return found;
}

}  // namespace

bool OpenIdleCounter() {
  Display* dpy = GetDisplay();
  int eventBase = 0, errorBase = 0;
  if (!dpy || !XScreenSaverQueryExtension(dpy, &eventBase, &errorBase)) return false;
  g_pIdleInfo = XScreenSaverAllocInfo();
  return g_pIdleInfo != nullptr;
}

DWORD IdleCounter() {
  Display* dpy = GetDisplay();
  if (!dpy || !g_pIdleInfo || !XScreenSaverQueryInfo(dpy, DefaultRootWindow(dpy), g_pIdleInfo)) return 0;
  return static_cast<DWORD>(g_pIdleInfo->idle);
}

int DisplayFd() {
  Display* dpy = GetDisplay();
  return dpy ? ConnectionNumber(dpy) : -1;
}

// Only the daemon's window is followed; other events come to every client (keyboard
// mapping changes): read, they no longer wake the poll.
bool TakeEvents() {
  Display* dpy = GetDisplay();
  bool daemonGone = false;
  while (dpy && XPending(dpy) > 0) {
    XEvent event;
    XNextEvent(dpy, &event);
    if (event.type == DestroyNotify && event.xdestroywindow.window == g_nDaemonWindow) {
      g_nDaemonWindow = 0;
      daemonGone = true;
    }
  }
  return daemonGone;
}

// The daemon marks a window of its own, a child of the root, with
// _SCREENSAVER_VERSION (the root keeps its _SCREENSAVER_STATUS after it has gone).
bool XScreenSaverRuns() {
  Display* dpy = GetDisplay();
  if (!dpy) return false;
  Atom version = XInternAtom(dpy, "_SCREENSAVER_VERSION", False);
  if (g_nDaemonWindow && HasVersionMark(dpy, g_nDaemonWindow, version)) return true;
  g_nDaemonWindow = 0;
  Window root = DefaultRootWindow(dpy), parent = 0, *children = nullptr;
  unsigned int count = 0;
  if (!XQueryTree(dpy, root, &root, &parent, &children, &count)) return false;
  for (unsigned int i = 0; i < count && !g_nDaemonWindow; ++i)
    if (HasVersionMark(dpy, children[i], version)) g_nDaemonWindow = children[i];
  if (children) XFree(children);
  // Its window's end wakes the watcher, which starts nothing while the daemon runs.
  if (g_nDaemonWindow) XSelectInput(dpy, g_nDaemonWindow, StructureNotifyMask);
  return g_nDaemonWindow != 0;
}

}  // namespace plat::x11
