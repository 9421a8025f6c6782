// Message boxes as small dialogs of their own (the text, an OK button), so that
// they stack, take the keyboard and close like every other dialog: centred over
// the window that owns them (on the screen without one), above the full-screen
// saver, closed by Enter, Space, Esc or their close button.
#include <cstdio>

#include "platform/dialog.h"
#include "platform/msgbox.h"
#include "platform/standin/dialogcore.h"
#include "platform/window.h"
#include "platform/x11/x11_dialog.h"
#include "platform/x11/x11_display.h"

namespace plat::x11 {
namespace {

DialogTemplate BoxTemplate(const char* text, const char* caption) {
  FitDialogFont(DialogTemplate{}, 1, 1);  // measured at the size the box will take
  RECT screen{0, 0, 1024, 768};
  x11::GetWindowRect(GetDesktopWindow(), &screen);
  // Long lines wrap at half the screen.
  return dlg::MessageBoxTemplate(text, caption, MeasureDialogText, (screen.right - screen.left) / 2);
}

int MessageBoxFltk(HWND owner, const char* text, const char* caption, UINT) {
  if (!DialogsUsable()) {
    std::fprintf(stderr, "%s: %s\n", caption ? caption : "", text ? text : "");
    return IDOK;
  }
  plat::DialogBox(BoxTemplate(text ? text : "", caption ? caption : ""), IsWindow(owner) ? owner : 0,
                  dlg::MessageBoxProc, 0);
  return IDOK;
}

}  // namespace

void InstallFltkMessageBox() { SetMessageBoxHandler(MessageBoxFltk); }

}  // namespace plat::x11
