// Monitors as Windows lists them, in virtual-screen coordinates (a monitor left of
// or above the primary one has negative ones); the saver covers the virtual screen.
#include "platform/monitors.h"
#include "platform/windows/windows_winapi.h"

namespace plat {

using namespace win32;

namespace {

::BOOL CALLBACK AddMonitor(HMONITOR handle, HDC, LPRECT, ::LPARAM list) {
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (!::GetMonitorInfoA(handle, &info)) return TRUE;
  MonitorInfo monitor;
  monitor.rect = RECT{info.rcMonitor.left, info.rcMonitor.top, info.rcMonitor.right, info.rcMonitor.bottom};
  monitor.work = RECT{info.rcWork.left, info.rcWork.top, info.rcWork.right, info.rcWork.bottom};
  monitor.primary = (info.dwFlags & MONITORINFOF_PRIMARY) != 0;
  reinterpret_cast<std::vector<MonitorInfo>*>(list)->push_back(monitor);
  return TRUE;
}

}  // namespace

std::vector<MonitorInfo> GetMonitors() {
  std::vector<MonitorInfo> out;
  ::EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<::LPARAM>(&out));
  if (out.empty()) {
    MonitorInfo whole;
    whole.rect = whole.work = RECT{0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
    whole.primary = true;
    out.push_back(whole);
  }
  return out;
}

bool CoverScreen(HWND window) {
  ::HWND w = Native(window);
  if (!::IsWindow(w) || (::GetWindowLongA(w, GWL_EXSTYLE) & WS_EX_TOPMOST) == 0) return false;
  return ::SetWindowPos(w, nullptr, ::GetSystemMetrics(SM_XVIRTUALSCREEN), ::GetSystemMetrics(SM_YVIRTUALSCREEN),
                        ::GetSystemMetrics(SM_CXVIRTUALSCREEN), ::GetSystemMetrics(SM_CYVIRTUALSCREEN),
                        SWP_NOZORDER | SWP_NOACTIVATE) != 0;
}

}  // namespace plat
