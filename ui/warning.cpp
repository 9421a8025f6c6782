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

bool g_bWarningConfines;  // the pointer is kept inside the warning

constexpr const char* RUNONCE_KEY = "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
constexpr const char* KILL_VALUE = "kill_saver";
constexpr std::size_t MACHINE_STRING_SIZE = 356;
constexpr int CAPTION_SIZE = 256;
constexpr const char* REMOVE_PACKAGE_TEXT =
    "Kiru is removed as it was installed, with its package.\nAs root, run:\n\n    apt remove kiru";
constexpr const char* REMOVE_PACKAGE_CAPTION = "How to remove Kiru";
constexpr const char* REMOVAL_CAPTION = "Screen saver will be removed.";
constexpr const char* MACHINE_REMOVAL_TEXT = "This Screen saver will be removed\nthe next time you start Windows.";
constexpr const char* USER_REMOVAL_TEXT =
    "This Screen saver will be removed the next time you log on\nto Windows, "
    "once an administrator allows it when asked.";
constexpr const char* NO_REMOVAL_CAPTION = "Screen saver will not be removed.";
constexpr const char* NOT_INSTALLED_TEXT =
    "Kiru was not installed with its installer, so nothing can remove it\n"
    "at the next start of Windows. Delete Kiru.scr to remove it.";
constexpr const char* NOT_SCHEDULED_TEXT =
    "Kiru could not arrange its removal.\nRemove it with Add or Remove Programs.";

using StringReader = char* (*)(const char* name, char* buffer, std::size_t size, const char* defaultText);

// The name under the selected RunOnce key that already runs the uninstaller
// (*scheduled true; also as the unquoted path an older Kiru wrote), else the first
// free one: "kill_saver", then with 1, 2, ... appended.
std::string ScheduledOrFreeName(StringReader read, const std::string& program, const std::string& command,
                                bool* scheduled) {
  char value[MACHINE_STRING_SIZE];
  std::string name = KILL_VALUE;
  for (int counter = 1;; ++counter) {
    read(name.c_str(), value, sizeof value, "");
    *scheduled = command == value || program == value;
    if (*scheduled || value[0] == '\0') return name;
    name = KILL_VALUE + std::to_string(counter);
  }
}

plat::LRESULT WarningDialogProc(plat::HWND dialog, plat::UINT message, plat::WPARAM wParam, plat::LPARAM) {
  g_bWarningShown = true;
  switch (message) {
    case plat::WM_INITDIALOG: {
      CenterOnDesktop(dialog);
      g_bWarningConfines = true;
      ConfineCursorTo(dialog);
      plat::SetFocus(plat::GetDlgItem(dialog, plat::IDOK));
      char caption[CAPTION_SIZE] = "";
      if (plat::GetWindowText(dialog, caption, CAPTION_SIZE) <= 0)
        std::snprintf(caption, sizeof caption, "%s", WarningDialogTemplate().caption.c_str());
      char rate[64];
      std::snprintf(rate, sizeof rate, " -- frames per second: %.0f", static_cast<double>(g_fMeasuredFps));
      plat::SetWindowText(dialog, (std::string(caption) + rate).c_str());
      return 0;  // the focus is chosen
    }
    case plat::WM_DISPLAYCHANGE:
      if (g_bWarningConfines) ConfineCursorTo(dialog);
      return 0;
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
          g_bWarningConfines = false;
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
  if (installDir[0] == '\0') {
    // No uninstaller to run: "\uninstal.exe" would promise a removal that never comes.
    plat::MessageBox(dialog, NOT_INSTALLED_TEXT, NO_REMOVAL_CAPTION, plat::MB_OK);
    return;
  }
  std::string program = std::string(installDir) + "\\uninstal.exe";
  std::string command = "\"" + program + "\"";  // the folder may hold blanks

  // The machine's RunOnce runs at the next start of Windows, but only an
  // administrator may write it; the user's runs at the user's next log-on, where
  // the uninstaller asks for an administrator's consent. Once scheduled in either,
  // another press changes nothing.
  SelectRegKey(dialog, RUNONCE_KEY);
  bool inMachine = false, inUser = false;
  std::string machineName = ScheduledOrFreeName(RegReadMachineString, program, command, &inMachine);
  std::string userName = ScheduledOrFreeName(RegReadUserString, program, command, &inUser);
  bool machine = inMachine || (!inUser && RegWriteMachineString(machineName.c_str(), command.c_str()));
  bool user = !machine && (inUser || RegWriteUserString(userName.c_str(), command.c_str()));
  SelectRegKey(dialog, KIRU_KEY);

  if (machine)
    plat::MessageBox(dialog, MACHINE_REMOVAL_TEXT, REMOVAL_CAPTION, plat::MB_OK);
  else if (user)
    plat::MessageBox(dialog, USER_REMOVAL_TEXT, REMOVAL_CAPTION, plat::MB_OK);
  else
    plat::MessageBox(dialog, NOT_SCHEDULED_TEXT, NO_REMOVAL_CAPTION, plat::MB_OK);
}
