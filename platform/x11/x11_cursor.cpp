// Pointer and keyboard of the full-screen saver: the grab, the hidden cursor,
// the cursor position and the confinement.
#include <FL/Fl.H>
#include <FL/x.H>
#include <X11/Xlib.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "platform/window.h"
#include "platform/x11/x11_display.h"
#include "platform/x11/x11_records.h"

namespace plat::x11 {
namespace {

Window g_hGrabWindow = 0;  // the full-screen window: wants the grab, may hide the cursor
bool g_bGrabHeld = false;
int g_nGrabSuspended = 0;
bool g_bCursorHidden = true;  // the saver class has no cursor: hidden until shown
Cursor g_hBlankCursor = 0;
Window g_hConfineWindow = 0;  // ClipCursor's rectangle, as a window
Display* g_pConfineDisplay = nullptr;

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

// Synchronous: a dialog's connection may want the grab right after.
void Ungrab(Display* dpy) {
  XUngrabKeyboard(dpy, CurrentTime);
  XUngrabPointer(dpy, CurrentTime);
  XSync(dpy, False);
}

void LiftConfinement() {
  if (!g_hConfineWindow) return;
  XUngrabPointer(g_pConfineDisplay, CurrentTime);
  XDestroyWindow(g_pConfineDisplay, g_hConfineWindow);
  XSync(g_pConfineDisplay, False);
  g_hConfineWindow = 0;
  // Confining on our own connection replaced the saver's pointer grab.
  Display* dpy = GetDisplay();
  if (g_pConfineDisplay == dpy && g_bGrabHeld) g_bGrabHeld = Grab(dpy, g_hGrabWindow);
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

bool FullScreenShown() { return g_hGrabWindow != 0; }

void ApplyCursor(Window xid) {
  Display* dpy = GetDisplay();
  if (!dpy) return;
  if (g_bCursorHidden)
    XDefineCursor(dpy, xid, BlankCursor(dpy));
  else
    XUndefineCursor(dpy, xid);
}

}  // namespace plat::x11

namespace plat::x11 {

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

// X confines the pointer only within an active grab: the rectangle becomes an
// input-only window at the bottom of the stack (it never takes a click) that a
// pointer grab confines to. The grab goes through the connection that shows the
// dialogs (FLTK's), reporting to its windows as usual.
void ClipCursor(const RECT* rect) {
  LiftConfinement();
  Display* dpy = fl_display ? fl_display : GetDisplay();
  if (!rect || !dpy || rect->right <= rect->left || rect->bottom <= rect->top) return;
  XSetWindowAttributes attributes{};
  attributes.override_redirect = True;
  g_hConfineWindow = XCreateWindow(dpy, DefaultRootWindow(dpy), rect->left, rect->top,
                                   static_cast<unsigned>(rect->right - rect->left),
                                   static_cast<unsigned>(rect->bottom - rect->top), 0, 0, InputOnly,
                                   CopyFromParent, CWOverrideRedirect, &attributes);
  g_pConfineDisplay = dpy;
  XMapWindow(dpy, g_hConfineWindow);
  XLowerWindow(dpy, g_hConfineWindow);
  for (int attempt = 0; attempt < 50; ++attempt) {
    // The pointer outside is moved to the nearest point inside.
    if (XGrabPointer(dpy, g_hConfineWindow, True, ButtonPressMask | ButtonReleaseMask | PointerMotionMask,
                     GrabModeAsync, GrabModeAsync, g_hConfineWindow, None, CurrentTime) == GrabSuccess)
      break;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  XSync(dpy, False);
}

}  // namespace plat::x11
