// Which monitor is whose: the portable rules both systems' backends and the
// saver share.
#include "platform/monitors.h"

#include <algorithm>
#include <cstddef>

#include "platform/window.h"

namespace plat {
namespace {

bool Contains(const RECT& r, POINT p) { return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom; }
bool Contains(const RECT& outer, const RECT& inner) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
         inner.bottom <= outer.bottom && !IsEmpty(inner);
}

}  // namespace

int PrimaryMonitor(const std::vector<MonitorInfo>& monitors) {
  for (std::size_t i = 0; i < monitors.size(); ++i)
    if (monitors[i].primary) return static_cast<int>(i);
  for (std::size_t i = 0; i < monitors.size(); ++i)
    if (Contains(monitors[i].rect, POINT{0, 0})) return static_cast<int>(i);
  return monitors.empty() ? -1 : 0;
}

int MonitorAt(const std::vector<MonitorInfo>& monitors, POINT point) {
  for (std::size_t i = 0; i < monitors.size(); ++i)
    if (Contains(monitors[i].rect, point)) return static_cast<int>(i);
  return PrimaryMonitor(monitors);
}

RECT CentreIn(const RECT& area, int width, int height) {
  int left = area.left + (area.right - area.left - width) / 2;
  int top = area.top + (area.bottom - area.top - height) / 2;
  return RECT{left, top, left + width, top + height};
}

RECT KeepInside(const RECT& placed, const RECT& area) {
  const int width = placed.right - placed.left, height = placed.bottom - placed.top;
  int left = std::max(std::min(placed.left, area.right - width), area.left);
  int top = std::max(std::min(placed.top, area.bottom - height), area.top);
  if (width > area.right - area.left) left = area.right - width;
  if (height > area.bottom - area.top) top = area.bottom - height;
  return RECT{left, top, left + width, top + height};
}

bool CoversMonitor(const RECT& window, const MonitorInfo& monitor) { return Contains(window, monitor.rect); }

bool CoversScreen(const RECT& window) {
  RECT screen;
  return GetWindowRect(GetDesktopWindow(), &screen) && Contains(window, screen);
}

RECT Overlap(const RECT& a, const RECT& b) {
  return RECT{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
              std::min(a.bottom, b.bottom)};
}

bool IsEmpty(const RECT& rect) { return rect.right <= rect.left || rect.bottom <= rect.top; }

RECT PrimaryWorkArea() {
  std::vector<MonitorInfo> monitors = GetMonitors();
  int primary = PrimaryMonitor(monitors);
  return primary < 0 ? RECT{0, 0, 1024, 768} : monitors[static_cast<std::size_t>(primary)].work;
}

}  // namespace plat
