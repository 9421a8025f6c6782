// The choice of desktop, made once: Wayland for full-screen saving where the
// compositor can show a saver, X11 for everything else and as the fallback. Each
// desktop's calls in one table.
#include "platform/switch/switch_desktop.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/desktop.h"
#include "platform/queue.h"
#include "platform/wayland/wayland_desktop.h"
#include "platform/x11/x11_desktop.h"

namespace plat::desktops {
namespace {

const DesktopCalls X11_CALLS{
    x11::DestroyWindow, x11::IsWindow, x11::GetClientRect, x11::GetWindowRect, x11::GetParent,
    x11::SetForegroundWindow, x11::SetWindowText, x11::GetWindowText, x11::ShowWindow, x11::IsIconic,
    x11::RaiseWindow, x11::LowerWindow, x11::MoveWindow, x11::CoverScreen,
    x11::GetDesktopWindow, x11::ClaimSaverInstance, x11::GetCursorPos, x11::ShowCursor, x11::GetMonitors,
    x11::IsDisplayAsleep,
    x11::GetGLDC, x11::ReleaseGLDC, x11::DescribeFbConfigs, x11::ChooseFbConfig, x11::SetFbConfig,
    x11::CreateGLRC, x11::MakeCurrent, x11::DeleteGLRC, x11::SwapBuffers};

// Layer surfaces keep their layer and have no parent: raising is already done,
// lowering and moving are the compositor's business; the keyboard is the saver's.
const DesktopCalls WAYLAND_CALLS{
    wayland::DestroyWindow, wayland::IsWindow, wayland::GetClientRect, wayland::GetWindowRect,
    [](HWND) -> HWND { return 0; }, [](HWND) { return true; }, wayland::SetWindowText, wayland::GetWindowText,
    wayland::ShowWindow, wayland::IsIconic,
    [](HWND) { return true; }, [](HWND) { return false; }, [](HWND, int, int) { return false; },
    wayland::CoverScreen,
    wayland::GetDesktopWindow, wayland::ClaimSaverInstance, wayland::GetCursorPos, wayland::ShowCursor,
    wayland::GetMonitors, wayland::IsDisplayAsleep,
    wayland::GetGLDC, wayland::ReleaseGLDC, wayland::DescribeFbConfigs, wayland::ChooseFbConfig,
    wayland::SetFbConfig, wayland::CreateGLRC, wayland::MakeCurrent, wayland::DeleteGLRC, wayland::SwapBuffers};

const DesktopCalls* g_pServing = &X11_CALLS;
bool g_bNoneUsable = false;

}  // namespace

const DesktopCalls& Serving() { return *g_pServing; }
const DesktopCalls& OfWindow(HWND window) { return WaylandWindow(window) ? WAYLAND_CALLS : X11_CALLS; }

bool OnWayland() { return g_pServing == &WAYLAND_CALLS; }
bool NoneUsable() { return g_bNoneUsable; }
bool WaylandWindow(HWND window) { return window && WindowDesktop(window) == wayland::DESKTOP_TAG; }

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
  if ((wantWayland || (socket && *socket)) && wayland::Connect(wantWayland)) {
    desktops::g_pServing = &desktops::WAYLAND_CALLS;
    return;
  }
  const char* display = std::getenv("DISPLAY");
  if (wantWayland) {
    desktops::g_bNoneUsable = true;  // Connect said why
  } else if (!display || !*display) {
    std::fprintf(stderr, "kiru: no display: neither a Wayland compositor nor DISPLAY\n");
    desktops::g_bNoneUsable = true;
  }
}

}  // namespace plat
