// Dialogs belong to the desktop that serves the process: over the Wayland saver
// the saver draws them itself; everywhere else they are X windows.
#include "platform/dialog.h"
#include "platform/switch/switch_desktop.h"
#include "platform/wayland/wayland_desktop.h"
#include "platform/x11/x11_desktop.h"

namespace plat {

int DialogBox(const DialogTemplate& dialogTemplate, HWND owner, DLGPROC proc, LPARAM param) {
  return desktops::OnWayland() ? wayland::DialogBox(dialogTemplate, owner, proc, param)
                               : x11::DialogBox(dialogTemplate, owner, proc, param);
}

}  // namespace plat
