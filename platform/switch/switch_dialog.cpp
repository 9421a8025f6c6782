// Dialogs are X windows (on Xwayland under a Wayland saver). An overlay surface
// hides every X window, so the Wayland saver steps aside while one is open; with
// no X server at all the dialog cannot be shown and ends as cancelled.
#include <cstdio>
#include <cstdlib>

#include "platform/dialog.h"
#include "platform/switch/switch_desktop.h"
#include "platform/wayland/wayland_desktop.h"
#include "platform/x11/x11_desktop.h"

namespace plat::desktops {
namespace {

bool g_bX11Opened = false;

}  // namespace

bool X11Opened() { return g_bX11Opened; }

}  // namespace plat::desktops

namespace plat {

int DialogBox(const DialogTemplate& dialogTemplate, HWND owner, DLGPROC proc, LPARAM param) {
  if (!desktops::OnWayland()) return x11::DialogBox(dialogTemplate, owner, proc, param);
  const char* display = std::getenv("DISPLAY");
  if (!display || !*display) {
    std::fprintf(stderr, "kiru: no X server (Xwayland) to show \"%s\": it ends as cancelled\n",
                 dialogTemplate.caption.c_str());
    return IDCANCEL;
  }
  desktops::g_bX11Opened = true;
  wayland::StepAside();
  int result = x11::DialogBox(dialogTemplate, owner, proc, param);
  wayland::ComeBack();
  return result < 0 ? IDCANCEL : result;  // a server that would not open: as cancelled
}

}  // namespace plat
