// The monitors of the screen a full-screen window covers, and the messages that
// say their layout changed.
#pragma once
#include <vector>

#include "platform/win.h"

namespace plat {

struct MonitorInfo {
  RECT rect;             // desktop coordinates (Windows: may be left of or above 0, 0)
  RECT work;             // what panels and task bars leave free; the rect where unknown
  bool primary = false;  // as the system marks it; maybe none is marked
};

// Every monitor, in the system's order. Never empty while a display is there:
// without a monitor list the whole screen is one monitor.
std::vector<MonitorInfo> GetMonitors();

// The monitor dialogs belong on: the one marked primary, else the one holding
// the desktop's origin, else the first. -1 for an empty list.
int PrimaryMonitor(const std::vector<MonitorInfo>& monitors);
// The monitor holding the point, else the primary one.
int MonitorAt(const std::vector<MonitorInfo>& monitors, POINT point);
// The rectangle of that size centred in the area.
RECT CentreIn(const RECT& area, int width, int height);
// The rectangle moved into the area where it sticks out; one larger than the area
// shows its lower right part, where a dialog's OK and Cancel are.
RECT KeepInside(const RECT& placed, const RECT& area);
bool CoversMonitor(const RECT& window, const MonitorInfo& monitor);
// Whether the window covers the whole screen (the desktop window's rectangle).
bool CoversScreen(const RECT& window);
// The part two rectangles share; empty (no width or no height) when they share none.
RECT Overlap(const RECT& a, const RECT& b);
bool IsEmpty(const RECT& rect);
// The primary monitor's work area (a guess of 1024 x 768 without a display).
RECT PrimaryWorkArea();

// A full-screen window made to cover the whole screen again (the virtual screen on
// Windows) after the layout changed; its WM_SIZE follows as for any resize.
bool CoverScreen(HWND window);

}  // namespace plat
