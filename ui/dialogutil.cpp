#include "ui/dialogutil.h"

#include "platform/dialog.h"
#include "platform/monitors.h"
#include "platform/window.h"
#include "settings/settings.h"
#include "ui/dialog_templates.h"

void CheckSelectButton(plat::HWND dialog, int n) {
  for (int id = IDC_SELECT_FIRST; id < IDC_SELECT_FIRST + MODULE_COUNT; ++id)
    plat::CheckDlgButton(dialog, id, id == IDC_SELECT_FIRST - 1 + n);
}

namespace {

void CenterIn(plat::HWND window, const plat::RECT& area) {
  plat::RECT rect;
  if (plat::GetWindowRect(window, &rect)) {
    plat::RECT placed = plat::KeepInside(plat::CentreIn(area, rect.right - rect.left, rect.bottom - rect.top), area);
    plat::MoveWindow(window, placed.left, placed.top);
  }
  plat::RaiseWindow(window);
  plat::ShowWindow(window, true);
}

}  // namespace

// On the primary monitor, never across the seam between two.
void CenterOnDesktop(plat::HWND window) { CenterIn(window, plat::PrimaryWorkArea()); }

void CenterOnPointerMonitor(plat::HWND window) {
  std::vector<plat::MonitorInfo> monitors = plat::GetMonitors();
  plat::POINT pointer;
  int at = plat::GetCursorPos(&pointer) ? plat::MonitorAt(monitors, pointer) : plat::PrimaryMonitor(monitors);
  CenterIn(window, at >= 0 ? monitors[static_cast<size_t>(at)].work : plat::PrimaryWorkArea());
}

void ConfineCursorTo(plat::HWND dialog) {
  plat::RECT rect;
  if (plat::GetWindowRect(dialog, &rect)) plat::ClipCursor(&rect);
}
