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

// Surfaces and contexts apart: a desktop may give both the same number.
using GLRecords = std::map<std::uintptr_t, GLRecord>;
GLRecords g_DCs, g_RCs;
std::uintptr_t g_nNextGL = 1;

std::uintptr_t Record(GLRecords& records, const DesktopCalls& desktop, std::uintptr_t own) {
  if (!own) return 0;
  for (const auto& [handle, record] : records)
    if (record.desktop == &desktop && record.own == own) return handle;
  records[g_nNextGL] = GLRecord{&desktop, own};
  return g_nNextGL++;
}

const GLRecord* Find(const GLRecords& records, std::uintptr_t handle) {
  auto it = records.find(handle);
  return it == records.end() ? nullptr : &it->second;
}
const GLRecord* FindDC(GLDC dc) { return Find(g_DCs, dc); }
const GLRecord* FindRC(GLRC rc) { return Find(g_RCs, rc); }

}  // namespace

GLDC GetGLDC(HWND window) {
  const DesktopCalls& desktop = desktops::OfWindow(window);
  return Record(g_DCs, desktop, desktop.getGLDC(window));
}

bool ReleaseGLDC(HWND window, GLDC dc) {
  const GLRecord* d = FindDC(dc);
  return d && d->desktop->releaseGLDC(window, d->own);
}

std::vector<FbConfig> DescribeFbConfigs(GLDC dc) {
  const GLRecord* d = FindDC(dc);
  return d ? d->desktop->describeFbConfigs(d->own) : std::vector<FbConfig>{};
}

int ChooseFbConfig(GLDC dc, int colourBits, int depthBits) {
  const GLRecord* d = FindDC(dc);
  return d ? d->desktop->chooseFbConfig(d->own, colourBits, depthBits) : 0;
}

bool SetFbConfig(GLDC dc, int index) {
  const GLRecord* d = FindDC(dc);
  return d && d->desktop->setFbConfig(d->own, index);
}

GLRC CreateGLRC(GLDC dc) {
  const GLRecord* d = FindDC(dc);
  return d ? Record(g_RCs, *d->desktop, d->desktop->createGLRC(d->own)) : 0;
}

// Releasing (0, 0) goes to the desktop that full-screen saving uses.
bool MakeCurrent(GLDC dc, GLRC rc) {
  if (!dc && !rc) return desktops::Serving().makeCurrent(0, 0);
  const GLRecord* d = FindDC(dc);
  const GLRecord* r = FindRC(rc);
  if (!d || !r || d->desktop != r->desktop) return false;
  return d->desktop->makeCurrent(d->own, r->own);
}

bool DeleteGLRC(GLRC rc) {
  const GLRecord* r = FindRC(rc);
  if (!r) return false;
  bool deleted = r->desktop->deleteGLRC(r->own);
  g_RCs.erase(rc);
  return deleted;
}

bool SwapBuffers(GLDC dc) {
  const GLRecord* d = FindDC(dc);
  return d && d->desktop->swapBuffers(d->own);
}

}  // namespace plat
