// The choice of desktop, made once: Wayland for full-screen saving where the
// compositor can show a saver, X11 for everything else and as the fallback.
#include "platform/switch/switch_desktop.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/desktop.h"
#include "platform/wayland/wayland_desktop.h"

namespace plat::desktops {
namespace {

bool g_bWayland = false;
bool g_bNoneUsable = false;

}  // namespace

bool OnWayland() { return g_bWayland; }
bool NoneUsable() { return g_bNoneUsable; }
bool WaylandWindow(HWND window) { return g_bWayland && wayland::OwnsWindow(window); }

}  // namespace plat::desktops

namespace plat {

void ChooseDesktop(DesktopRole role) {
  static bool s_bChosen = false;
  if (s_bChosen) return;
  s_bChosen = true;
  const char* forced = std::getenv("KIRU_DESKTOP");
  if (forced && *forced && std::strcmp(forced, "x11") != 0 && std::strcmp(forced, "wayland") != 0)
    std::fprintf(stderr, "kiru: KIRU_DESKTOP=%s names no desktop (x11 or wayland): choosing as without it\n", forced);
  bool wantWayland = forced && std::strcmp(forced, "wayland") == 0;
  bool wantX11 = forced && std::strcmp(forced, "x11") == 0;
  if (role != DesktopRole::FullScreen || wantX11) return;
  const char* socket = std::getenv("WAYLAND_DISPLAY");
  // Without WAYLAND_DISPLAY this is an X session; a Wayland session that cannot
  // show a saver falls back to Xwayland quietly unless Wayland was asked for.
  if (wantWayland || (socket && *socket)) desktops::g_bWayland = wayland::Connect(wantWayland);
  if (desktops::g_bWayland) return;
  const char* display = std::getenv("DISPLAY");
  if (wantWayland) {
    desktops::g_bNoneUsable = true;  // Connect said why
  } else if (!display || !*display) {
    std::fprintf(stderr, "kiru: no display: neither a Wayland compositor nor DISPLAY\n");
    desktops::g_bNoneUsable = true;
  }
}

}  // namespace plat
