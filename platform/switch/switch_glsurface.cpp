// glsurface.h for the Linux program: a GL surface belongs to its window's desktop,
// a context to the desktop of the surface it was made on. The handles given out
// are the switch's own, each on record with its desktop and that desktop's handle,
// so the two desktops may number theirs as they like.
#include <map>

#include "platform/glsurface.h"
#include "platform/switch/switch_desktop.h"

namespace plat {
namespace {

using desktops::DesktopCalls;

struct GLRecord {
  const DesktopCalls* desktop = nullptr;
  std::uintptr_t own = 0;  // the desktop's handle
};

std::map<std::uintptr_t, GLRecord> g_GL;
std::uintptr_t g_nNextGL = 1;

std::uintptr_t Record(const DesktopCalls& desktop, std::uintptr_t own) {
  if (!own) return 0;
  for (const auto& [handle, record] : g_GL)
    if (record.desktop == &desktop && record.own == own) return handle;
  g_GL[g_nNextGL] = GLRecord{&desktop, own};
  return g_nNextGL++;
}

const GLRecord* Find(std::uintptr_t handle) {
  auto it = g_GL.find(handle);
  return it == g_GL.end() ? nullptr : &it->second;
}

}  // namespace

GLDC GetGLDC(HWND window) {
  const DesktopCalls& desktop = desktops::OfWindow(window);
  return Record(desktop, desktop.getGLDC(window));
}

bool ReleaseGLDC(HWND window, GLDC dc) {
  const GLRecord* d = Find(dc);
  return d && d->desktop->releaseGLDC(window, d->own);
}

std::vector<FbConfig> DescribeFbConfigs(GLDC dc) {
  const GLRecord* d = Find(dc);
  return d ? d->desktop->describeFbConfigs(d->own) : std::vector<FbConfig>{};
}

int ChooseFbConfig(GLDC dc, int colourBits, int depthBits) {
  const GLRecord* d = Find(dc);
  return d ? d->desktop->chooseFbConfig(d->own, colourBits, depthBits) : 0;
}

bool SetFbConfig(GLDC dc, int index) {
  const GLRecord* d = Find(dc);
  return d && d->desktop->setFbConfig(d->own, index);
}

GLRC CreateGLRC(GLDC dc) {
  const GLRecord* d = Find(dc);
  return d ? Record(*d->desktop, d->desktop->createGLRC(d->own)) : 0;
}

// Releasing (0, 0) goes to the desktop that full-screen saving uses.
bool MakeCurrent(GLDC dc, GLRC rc) {
  if (!dc && !rc) return desktops::Serving().makeCurrent(0, 0);
  const GLRecord* d = Find(dc);
  const GLRecord* r = Find(rc);
  if (!d || !r || d->desktop != r->desktop) return false;
  return d->desktop->makeCurrent(d->own, r->own);
}

bool DeleteGLRC(GLRC rc) {
  const GLRecord* r = Find(rc);
  if (!r) return false;
  bool deleted = r->desktop->deleteGLRC(r->own);
  g_GL.erase(rc);
  return deleted;
}

bool SwapBuffers(GLDC dc) {
  const GLRecord* d = Find(dc);
  return d && d->desktop->swapBuffers(d->own);
}

}  // namespace plat
