// Message boxes over the Wayland saver: dialogs of the saver's own, their text
// measured in its dialog font. With no surface to show one on, the text goes to
// stderr, as it does with no desktop at all.
#include <cstdio>

#include "platform/msgbox.h"
#include "platform/wayland/wayland_desktop.h"
#include "platform/wayland/wayland_dialog.h"

namespace plat::wayland {
namespace {

// Long lines wrap at half the output's width.
int MessageBoxOverSaver(HWND owner, const char* text, const char* caption, UINT) {
  Surface* host = DialogHost();
  if (!host) {
    std::fprintf(stderr, "%s: %s\n", caption ? caption : "", text ? text : "");
    return IDOK;
  }
  FitDialogFont(DialogTemplate{}, host->width, host->height);  // measured at the size the box will take
  DialogTemplate box =
      dlg::MessageBoxTemplate(text ? text : "", caption ? caption : "", MeasureDialogText, host->width / 2);
  wayland::DialogBox(box, owner, dlg::MessageBoxProc, 0);
  return IDOK;
}

}  // namespace

void InstallMessageBox() { SetMessageBoxHandler(MessageBoxOverSaver); }

}  // namespace plat::wayland
