// The switch between the Linux program's two desktops: what its files share.
#pragma once
#include "platform/win.h"

namespace plat::desktops {

// Full-screen saving was given to the Wayland desktop.
bool OnWayland();
// Neither desktop can serve full-screen saving (no display at all, or KIRU_DESKTOP
// named one that is not there): the saver's claim then finds no display.
bool NoneUsable();
// Whether a window is the Wayland desktop's; every other window is X11's.
bool WaylandWindow(HWND window);

}  // namespace plat::desktops
