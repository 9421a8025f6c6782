// Pointer and keyboard of the full-screen saver: the grab, the hidden cursor,
// the cursor position and the (approximate) confinement.
#include <X11/Xlib.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "platform/window.h"
#include "platform/x11/display.h"
#include "platform/x11/records.h"

namespace plat::x11 {
namespace {

Window g_hGrabWindow = 0;  // the full-screen window: wants the grab, may hide the cursor
bool g_bGrabHeld = false;
int g_nGrabSuspended = 0;
bool g_bCursorHidden = true;  // the saver class has no cursor: hidden until shown
Cursor g_hBlankCursor = 0;

Cursor BlankCursor(Display* dpy) {
  if (g_hBlankCursor) return g_hBlankCursor;
  static const char bits[1] = {0};
  Pixmap pixmap = XCreateBitmapFromData(dpy, DefaultRootWindow(dpy), bits, 1, 1);
  XColor black{};
  g_hBlankCursor = XCreatePixmapCursor(dpy, pixmap, pixmap, &black, &black, 0, 0);
  XFreePixmap(dpy, pixmap);
  return g_hBlankCursor;
}

bool Grab(Display* dpy, Window xid) {
  // Another client (the key press that started us, a menu) may hold a grab for a
  // moment; a full-screen saver that misses the keyboard could not be ended by it.
  for (int attempt = 0; attempt < 50; ++attempt) {
    int keyboard = XGrabKeyboard(dpy, xid, False, GrabModeAsync, GrabModeAsync, CurrentTime);
    int pointer = XGrabPointer(dpy, xid, False,
                               ButtonPressMask | ButtonReleaseMask | PointerMotionMask,
                               GrabModeAsync, GrabModeAsync, None, None, CurrentTime);
    if (keyboard == GrabSuccess && pointer == GrabSuccess) return true;
    if (keyboard == GrabSuccess) XUngrabKeyboard(dpy, CurrentTime);
    if (pointer == GrabSuccess) XUngrabPointer(dpy, CurrentTime);
    if (keyboard == GrabNotViewable || pointer == GrabNotViewable) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

void Ungrab(Display* dpy) {
  XUngrabKeyboard(dpy, CurrentTime);
  XUngrabPointer(dpy, CurrentTime);
  XFlush(dpy);
}

}  // namespace

void TakeInputGrab(Window xid) {
  Display* dpy = GetDisplay();
  if (!dpy) return;
  g_hGrabWindow = xid;
  if (g_nGrabSuspended == 0) g_bGrabHeld = Grab(dpy, xid);
}

void DropInputGrab() {
  Display* dpy = GetDisplay();
  if (dpy && g_bGrabHeld) Ungrab(dpy);
  g_bGrabHeld = false;
  g_hGrabWindow = 0;
}

void SuspendInputGrab() {
  Display* dpy = GetDisplay();
  if (++g_nGrabSuspended == 1 && g_bGrabHeld && dpy) {
    Ungrab(dpy);
    g_bGrabHeld = false;
  }
}

void ResumeInputGrab() {
  Display* dpy = GetDisplay();
  if (g_nGrabSuspended == 0) return;
  if (--g_nGrabSuspended == 0 && g_hGrabWindow && dpy) {
    g_bGrabHeld = Grab(dpy, g_hGrabWindow);
    XFlush(dpy);
  }
}

void ApplyCursor(Window xid) {
  Display* dpy = GetDisplay();
  if (!dpy) return;
  if (g_bCursorHidden)
    XDefineCursor(dpy, xid, BlankCursor(dpy));
  else
    XUndefineCursor(dpy, xid);
}

}  // namespace plat::x11

namespace plat {

using namespace plat::x11;

bool GetCursorPos(POINT* point) {
  Display* dpy = GetDisplay();
  if (!dpy || !point) return false;
  Window root, child;
  int rootX, rootY, x, y;
  unsigned mask;
  if (!XQueryPointer(dpy, DefaultRootWindow(dpy), &root, &child, &rootX, &rootY, &x, &y, &mask))
    return false;
  *point = POINT{rootX, rootY};
  return true;
}

void ShowCursor(bool show) {
  Display* dpy = GetDisplay();
  g_bCursorHidden = !show;
  if (!dpy) return;
  // Only the full-screen window hides the cursor; previews leave the host's.
  if (g_hGrabWindow) ApplyCursor(g_hGrabWindow);
  XFlush(dpy);
}

// X confines the pointer only within an active grab, and a grab of ours would
// starve a dialog of another connection (FLTK) of its input. So a rectangle
// suspends the saver's grab, brings the pointer inside the rectangle and leaves
// it free there; lifting the confinement takes the grab back.
void ClipCursor(const RECT* rect) {
  Display* dpy = GetDisplay();
  if (!dpy) return;
  static bool s_bClipped = false;
  if (rect) {
    if (!s_bClipped) SuspendInputGrab();
    s_bClipped = true;
    POINT at;
    if (GetCursorPos(&at) &&
        (at.x < rect->left || at.x >= rect->right || at.y < rect->top || at.y >= rect->bottom)) {
      int x = (rect->left + rect->right) / 2, y = (rect->top + rect->bottom) / 2;
      XWarpPointer(dpy, None, DefaultRootWindow(dpy), 0, 0, 0, 0, x, y);
    }
  } else if (s_bClipped) {
    s_bClipped = false;
    ResumeInputGrab();
  }
  XFlush(dpy);
}

}  // namespace plat
