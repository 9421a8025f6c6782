#include "ui/dialogutil.h"

#include "platform/dialog.h"
#include "platform/window.h"
#include "settings/settings.h"
#include "ui/dialog_templates.h"

void CheckSelectButton(plat::HWND dialog, int n) {
  for (int id = IDC_SELECT_FIRST; id < IDC_SELECT_FIRST + MODULE_COUNT; ++id)
    plat::CheckDlgButton(dialog, id, id == IDC_SELECT_FIRST - 1 + n);
}

void CenterOnDesktop(plat::HWND window) {
  plat::RECT rect, desktop;
  if (plat::GetWindowRect(window, &rect) && plat::GetWindowRect(plat::GetDesktopWindow(), &desktop)) {
    int width = rect.right - rect.left;
    int height = rect.bottom - rect.top;
    plat::MoveWindow(window, (desktop.right - width) / 2, (desktop.bottom - height) / 2);
  }
  plat::RaiseWindow(window);
  plat::ShowWindow(window, true);
}
