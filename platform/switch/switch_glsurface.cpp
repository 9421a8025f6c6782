// glsurface.h for the Linux program: GL surfaces belong to the window's desktop,
// contexts to the desktop that made them (their handles never collide).
#include "platform/glsurface.h"
#include "platform/switch/switch_desktop.h"
#include "platform/wayland/wayland_desktop.h"
#include "platform/x11/x11_desktop.h"

namespace plat {

namespace {

bool OnWaylandGL(std::uintptr_t handle) { return desktops::OnWayland() && wayland::OwnsGL(handle); }

}  // namespace

GLDC GetGLDC(HWND window) {
  return desktops::WaylandWindow(window) ? wayland::GetGLDC(window) : x11::GetGLDC(window);
}

bool ReleaseGLDC(HWND window, GLDC dc) {
  return OnWaylandGL(dc) ? wayland::ReleaseGLDC(window, dc) : x11::ReleaseGLDC(window, dc);
}

std::vector<FbConfig> DescribeFbConfigs(GLDC dc) {
  return OnWaylandGL(dc) ? wayland::DescribeFbConfigs(dc) : x11::DescribeFbConfigs(dc);
}

int ChooseFbConfig(GLDC dc, int colourBits, int depthBits) {
  return OnWaylandGL(dc) ? wayland::ChooseFbConfig(dc, colourBits, depthBits)
                         : x11::ChooseFbConfig(dc, colourBits, depthBits);
}

bool SetFbConfig(GLDC dc, int index) {
  return OnWaylandGL(dc) ? wayland::SetFbConfig(dc, index) : x11::SetFbConfig(dc, index);
}

GLRC CreateGLRC(GLDC dc) { return OnWaylandGL(dc) ? wayland::CreateGLRC(dc) : x11::CreateGLRC(dc); }

// Releasing (0, 0) goes to the desktop that full-screen saving uses.
bool MakeCurrent(GLDC dc, GLRC rc) {
  bool wayland = dc || rc ? OnWaylandGL(dc) || OnWaylandGL(rc) : desktops::OnWayland();
  return wayland ? wayland::MakeCurrent(dc, rc) : x11::MakeCurrent(dc, rc);
}

bool DeleteGLRC(GLRC rc) { return OnWaylandGL(rc) ? wayland::DeleteGLRC(rc) : x11::DeleteGLRC(rc); }
bool SwapBuffers(GLDC dc) { return OnWaylandGL(dc) ? wayland::SwapBuffers(dc) : x11::SwapBuffers(dc); }

}  // namespace plat
