// Monitors from RandR 1.5's monitor list, else Xinerama's screens, else the whole
// screen, each cut to the part the screen shows; a root window that changes size
// resizes the full-screen windows of ours.
#include "platform/monitors.h"

#include <X11/Xlib.h>
#include <X11/extensions/Xinerama.h>
#include <X11/extensions/Xrandr.h>

#include "platform/queue.h"
#include "platform/x11/x11_dialog.h"
#include "platform/x11/x11_display.h"
#include "platform/x11/x11_records.h"

namespace plat::x11 {
namespace {

int g_nRandrEvent = -1;  // RandR's first event number; -1 until asked, 0 without RandR
bool g_bRandrMonitors = false;

MonitorInfo Make(int x, int y, int width, int height, bool primary) {
  MonitorInfo monitor;
  monitor.rect = RECT{x, y, x + width, y + height};
  monitor.work = monitor.rect;
  monitor.primary = primary;
  return monitor;
}

void AskRandr(Display* dpy) {
  if (g_nRandrEvent >= 0) return;
  int event = 0, error = 0, major = 0, minor = 0;
  g_nRandrEvent = 0;
  if (!XRRQueryExtension(dpy, &event, &error) || !XRRQueryVersion(dpy, &major, &minor)) return;
  g_nRandrEvent = event;
  g_bRandrMonitors = RandrListsMonitors(major, minor);
  // Size changes come as RandR's screen change and as the root's ConfigureNotify;
  // a monitor split or joined (xrandr --setmonitor) only as RandR's notifications.
  XRRSelectInput(dpy, DefaultRootWindow(dpy), RRScreenChangeNotifyMask | RRCrtcChangeNotifyMask | RROutputChangeNotifyMask);
}

std::vector<MonitorInfo> RandrMonitors(Display* dpy) {
  std::vector<MonitorInfo> out;
  if (!g_bRandrMonitors) return out;
  int count = 0;
  XRRMonitorInfo* list = XRRGetMonitors(dpy, DefaultRootWindow(dpy), True, &count);
  for (int i = 0; list && i < count; ++i)
    if (list[i].width > 0 && list[i].height > 0)
      out.push_back(Make(list[i].x, list[i].y, list[i].width, list[i].height, list[i].primary != 0));
  if (list) XRRFreeMonitors(list);
  return out;
}

std::vector<MonitorInfo> XineramaMonitors(Display* dpy) {
  std::vector<MonitorInfo> out;
  int event = 0, error = 0, count = 0;
  if (!XineramaQueryExtension(dpy, &event, &error) || !XineramaIsActive(dpy)) return out;
  XineramaScreenInfo* list = XineramaQueryScreens(dpy, &count);
  for (int i = 0; list && i < count; ++i)
    if (list[i].width > 0 && list[i].height > 0)
      out.push_back(Make(list[i].x_org, list[i].y_org, list[i].width, list[i].height, false));
  if (list) XFree(list);
  return out;
}

void TellFullScreenWindows() {
  ForEachFullScreen([](HWND window) { PostMessage(window, WM_DISPLAYCHANGE, 0, 0); });
}

}  // namespace

bool RandrListsMonitors(int major, int minor) { return major > 1 || (major == 1 && minor >= 5); }

void WatchScreenChanges() {
  Display* dpy = GetDisplay();
  if (!dpy) return;
  AskRandr(dpy);
  XWindowAttributes attributes;
  Window root = DefaultRootWindow(dpy);
  if (XGetWindowAttributes(dpy, root, &attributes))
    XSelectInput(dpy, root, attributes.your_event_mask | StructureNotifyMask);
}

bool TranslateScreenEvent(XEvent& event) {
  Display* dpy = event.xany.display;
  bool randr = g_nRandrEvent > 0 && event.type >= g_nRandrEvent && event.type < g_nRandrEvent + RRNumberEvents;
  bool root = event.type == ConfigureNotify && event.xconfigure.window == DefaultRootWindow(dpy);
  if (!randr && !root) return false;
  // Xlib keeps the screen's size from the connection's start until told.
  XRRUpdateConfiguration(&event);
  TellFullScreenWindows();
  FollowMonitors();
  return true;
}

}  // namespace plat::x11

namespace plat::x11 {

std::vector<MonitorInfo> GetMonitors() {
  Display* dpy = GetDisplay();
  if (!dpy) return {};
  AskRandr(dpy);
  std::vector<MonitorInfo> listed = RandrMonitors(dpy);
  // A server joining screens with Xinerama answers RandR for its first screen only.
  std::vector<MonitorInfo> heads = XineramaMonitors(dpy);
  if (heads.size() > listed.size()) listed = heads;
  Window root;
  int x, y;
  unsigned width, height, border, depth;
  if (!XGetGeometry(dpy, DefaultRootWindow(dpy), &root, &x, &y, &width, &height, &border, &depth)) return {};
  // Only what the screen shows of a monitor counts: RandR keeps a monitor that
  // reaches past the screen (xrandr --setmonitor), or lies beyond it once it shrank.
  const RECT screen{0, 0, static_cast<int>(width), static_cast<int>(height)};
  std::vector<MonitorInfo> out;
  for (MonitorInfo monitor : listed) {
    monitor.rect = monitor.work = Overlap(monitor.rect, screen);
    if (!IsEmpty(monitor.rect)) out.push_back(monitor);
  }
  if (out.empty()) out.push_back(Make(0, 0, screen.right, screen.bottom, true));
  return out;
}

bool CoverScreen(HWND window) {
  Display* dpy = GetDisplay();
  WindowRecord* record = FindRecord(window);
  if (!dpy || !record || record->kind != WindowKind::FullScreen || record->destroying) return false;
  Window root;
  int x, y;
  unsigned width, height, border, depth;
  if (!XGetGeometry(dpy, DefaultRootWindow(dpy), &root, &x, &y, &width, &height, &border, &depth)) return false;
  XMoveResizeWindow(dpy, record->xid, 0, 0, width, height);
  XFlush(dpy);
  return true;
}

}  // namespace plat::x11
