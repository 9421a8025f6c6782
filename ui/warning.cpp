#include "ui/warning.h"

#include <cstdio>
#include <string>

#include "platform/dialog.h"
#include "platform/msgbox.h"
#include "platform/runonce.h"
#include "platform/window.h"
#include "render/runstate.h"
#include "settings/registry.h"
#include "settings/settings.h"
#include "ui/about.h"
#include "ui/dialog_templates.h"
#include "ui/dialogutil.h"

bool g_bWarningShown;

namespace {

constexpr const char* RUNONCE_KEY = "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
constexpr const char* KILL_VALUE = "kill_saver";
constexpr std::size_t MACHINE_STRING_SIZE = 356;
constexpr int CAPTION_SIZE = 256;
constexpr const char* REMOVE_PACKAGE_TEXT =
    "Kiru is removed as it was installed, with its package.\nAs root, run:\n\n    apt remove kiru";
constexpr const char* REMOVE_PACKAGE_CAPTION = "How to remove Kiru";

plat::LRESULT WarningDialogProc(plat::HWND dialog, plat::UINT message, plat::WPARAM wParam, plat::LPARAM) {
  g_bWarningShown = true;
  switch (message) {
    case plat::WM_INITDIALOG: {
      CenterOnDesktop(dialog);
      plat::RECT rect;
      if (plat::GetWindowRect(dialog, &rect)) plat::ClipCursor(&rect);
      plat::SetFocus(plat::GetDlgItem(dialog, plat::IDOK));
      char caption[CAPTION_SIZE] = "";
      if (plat::GetWindowText(dialog, caption, CAPTION_SIZE) <= 0)
        std::snprintf(caption, sizeof caption, "%s", WarningDialogTemplate().caption.c_str());
      char rate[64];
      std::snprintf(rate, sizeof rate, " -- frames per second: %.0f", static_cast<double>(g_fMeasuredFps));
      plat::SetWindowText(dialog, (std::string(caption) + rate).c_str());
      return 0;  // the focus is chosen
    }
    case plat::WM_COMMAND:
      switch (plat::LOWORD(wParam)) {
        case plat::IDOK:
          if (plat::IsDlgButtonChecked(dialog, IDC_DISABLE_WARNING)) {
            DisableFrameWarning(dialog);
          }
          g_bKeepRunning = true;
          plat::ClipCursor(nullptr);
          plat::EndDialog(dialog, 1);
          return 1;
        case plat::IDCANCEL:
          g_bKeepRunning = false;
          plat::ClipCursor(nullptr);
          plat::EndDialog(dialog, 1);
          return 1;
        case IDC_DOWNLOAD_PELLOR:
          // The dialog stays where it is: lowered, it would fall beneath the
          // full-screen saver, which stays above any browser anyway.
          plat::ClipCursor(nullptr);
          OpenFixedLink(LINK_PELLOR_PAGE);
          return 1;
        case IDC_REMOVE_KIRU:
          if (g_hSaverWnd) plat::LowerWindow(g_hSaverWnd);
          ScheduleRemoval(dialog);
          return 1;
      }
      return 0;
  }
  return 0;
}

}  // namespace

void ShowHardwareWarning(plat::HWND owner) {
  plat::DialogBox(WarningDialogTemplate(), owner, WarningDialogProc, 0);
}

void ScheduleRemoval(plat::HWND dialog) {
  if (!plat::SystemRunsRunOnce()) {
    // Nothing would run a scheduled uninstaller: say how Kiru really goes.
    plat::MessageBox(dialog, REMOVE_PACKAGE_TEXT, REMOVE_PACKAGE_CAPTION, plat::MB_OK);
    return;
  }
  char installDir[MACHINE_STRING_SIZE];
  SelectRegKey(dialog, KIRU_KEY);
  RegReadMachineString("install_dir", installDir, sizeof installDir, "");
  std::string command = std::string(installDir) + "\\uninstal.exe";

  SelectRegKey(dialog, RUNONCE_KEY);
  std::string name = KILL_VALUE;
  char value[MACHINE_STRING_SIZE];
  RegReadMachineString(name.c_str(), value, sizeof value, "");
  for (int counter = 1; value[0] != '\0'; ++counter) {
    name = KILL_VALUE + std::to_string(counter);
    RegReadMachineString(name.c_str(), value, sizeof value, "");
  }
  RegWriteMachineString(name.c_str(), command.c_str());
  SelectRegKey(dialog, KIRU_KEY);

  plat::MessageBox(dialog, "This Screen saver will be removed\nthe next time you start Windows.",
                   "Screen saver will be removed.", plat::MB_OK);
}
