// The switch between the Linux program's two desktops: what its files share.
#pragma once
#include <vector>

#include "platform/glsurface.h"
#include "platform/monitors.h"
#include "platform/window.h"

namespace plat::desktops {

// One desktop's calls, as SDL's video devices hold theirs: the switch fills one
// table per desktop from its namespace and forwards through the table of the
// desktop that serves the call, chosen once per process or recorded per window
// and GL handle, with no test in every forwarder.
struct DesktopCalls {
  // window.h, for windows of the desktop
  void (*destroyWindow)(HWND);
  bool (*isWindow)(HWND);
  bool (*getClientRect)(HWND, RECT*);
  bool (*getWindowRect)(HWND, RECT*);
  HWND (*getParent)(HWND);
  bool (*setForegroundWindow)(HWND);
  bool (*setWindowText)(HWND, const char*);
  int (*getWindowText)(HWND, char*, int);
  bool (*showWindow)(HWND, bool);
  bool (*isIconic)(HWND);
  bool (*raiseWindow)(HWND);
  bool (*lowerWindow)(HWND);
  bool (*moveWindow)(HWND, int, int);
  bool (*coverScreen)(HWND);
  // window.h, monitors.h and power.h, for full-screen saving
  HWND (*getDesktopWindow)();
  SaverClaim (*claimSaverInstance)();
  bool (*getCursorPos)(POINT*);
  void (*showCursor)(bool);
  std::vector<MonitorInfo> (*getMonitors)();
  bool (*isDisplayAsleep)();
  // glsurface.h, with the desktop's own handles
  GLDC (*getGLDC)(HWND);
  bool (*releaseGLDC)(HWND, GLDC);
  std::vector<FbConfig> (*describeFbConfigs)(GLDC);
  int (*chooseFbConfig)(GLDC, int, int);
  bool (*setFbConfig)(GLDC, int);
  GLRC (*createGLRC)(GLDC);
  bool (*makeCurrent)(GLDC, GLRC);
  bool (*deleteGLRC)(GLRC);
  bool (*swapBuffers)(GLDC);
};

// The desktop serving full-screen saving: X11's until Wayland is chosen.
const DesktopCalls& Serving();
// The desktop whose window it is, as the window's record in the message layer says.
const DesktopCalls& OfWindow(HWND window);

// Full-screen saving was given to the Wayland desktop.
bool OnWayland();
// Neither desktop can serve full-screen saving (no display at all, or KIRU_DESKTOP
// named one that is not there): the saver's claim then finds no display.
bool NoneUsable();
// Whether a window is the Wayland desktop's (its record says so); every other
// window is X11's.
bool WaylandWindow(HWND window);

}  // namespace plat::desktops
