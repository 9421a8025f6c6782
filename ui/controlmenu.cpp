#include "ui/controlmenu.h"

#include "platform/dialog.h"
#include "platform/window.h"
#include "render/runstate.h"
#include "ui/dialog_templates.h"
#include "ui/dialogutil.h"

namespace {

bool g_bMenuOpen;

plat::LRESULT ControlMenuProc(plat::HWND dialog, plat::UINT message, plat::WPARAM wParam, plat::LPARAM) {
  switch (message) {
    case plat::WM_INITDIALOG:
      CenterOnDesktop(dialog);
      plat::SetFocus(plat::GetDlgItem(dialog, plat::IDOK));
      if (g_bSaverMode) {
        // The saver hides the cursor; the menu needs it, kept inside the menu.
        plat::ShowCursor(true);
        ConfineCursorTo(dialog);
      }
      return 0;
    case plat::WM_DISPLAYCHANGE:
      if (g_bSaverMode) ConfineCursorTo(dialog);
      return 0;
    case plat::WM_COMMAND: {
      unsigned id = plat::LOWORD(wParam);
      if (id != plat::IDOK && id != plat::IDCANCEL) return 0;
      if (g_bSaverMode) {
        plat::ShowCursor(false);
        plat::ClipCursor(nullptr);
      }
      plat::EndDialog(dialog, static_cast<int>(id));
      return 1;
    }
  }
  return 0;
}

}  // namespace

void ShowControlMenu(plat::HWND owner) {
  if (g_bMenuOpen) return;
  g_bMenuOpen = true;
  plat::DialogBox(ControlMenuTemplate(), owner, ControlMenuProc, 0);
  g_bMenuOpen = false;
}
