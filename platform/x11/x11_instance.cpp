// One full-screen saver per display: a selection owned by a window of ours, taken
// under a server grab so that two savers started in the same instant cannot both
// see it free. The server drops it when the process (its connection) ends.
#include <X11/Xlib.h>

#include <cstdio>

#include "platform/window.h"
#include "platform/x11/x11_display.h"

namespace plat::x11 {

SaverClaim ClaimSaverInstance() {
  Display* dpy = x11::GetDisplay();
  if (!dpy) return SaverClaim::NoDisplay;
  static bool s_bHeld = false;
  if (s_bHeld) return SaverClaim::Held;
  char name[48];
  std::snprintf(name, sizeof name, "_KIRU_SAVER_S%d", DefaultScreen(dpy));
  Atom selection = XInternAtom(dpy, name, False);
  XSetWindowAttributes attributes{};
  Window owner = XCreateWindow(dpy, DefaultRootWindow(dpy), -1, -1, 1, 1, 0, 0, InputOnly, CopyFromParent, 0,
                               &attributes);
  XGrabServer(dpy);
  bool free = XGetSelectionOwner(dpy, selection) == None;
  if (free) XSetSelectionOwner(dpy, selection, owner, CurrentTime);
  XUngrabServer(dpy);
  XSync(dpy, False);
  s_bHeld = free && XGetSelectionOwner(dpy, selection) == owner;
  if (!s_bHeld) XDestroyWindow(dpy, owner);
  XFlush(dpy);
  return s_bHeld ? SaverClaim::Held : SaverClaim::Elsewhere;
}

}  // namespace plat::x11
