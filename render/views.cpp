#include "render/views.h"

#include <GL/gl.h>

#include <algorithm>

#include "platform/startuptrace.h"
#include "platform/window.h"
#include "render/glcontext.h"
#include "render/runstate.h"
#include "scene/modules.h"
#include "scene/snapshot.h"

namespace {

std::vector<View> g_Views;
bool g_bViewsStale = true;
plat::HWND g_hViewsWnd = 0;  // the window they were laid out for
bool g_bWholeWindow = true;  // one view over the whole window: drawn as it always was

void RefreshViews(plat::HWND window) {
  g_bViewsStale = false;
  g_hViewsWnd = window;
  plat::RECT frame, client;
  // Only full-screen saving is split: a preview across a seam stays one picture.
  if (!g_bFullScreen || !plat::GetWindowRect(window, &frame) || !plat::GetClientRect(window, &client)) {
    g_Views.clear();
    g_bWholeWindow = true;
    return;
  }
  g_Views = LayOutViews(plat::GetMonitors(), frame);
  g_bWholeWindow = g_Views.size() == 1 && g_Views[0] == View{0, 0, client.right, client.bottom};
  plat::TraceViews(static_cast<int>(g_Views.size()));
  // Monitors joined into one without the window changing size (an output gone while
  // another grew into its place) leave the viewport of the last split behind.
  if (g_bWholeWindow) ApplyView(0, 0, client.right, client.bottom);
}

// A monitor that shows part of a larger one (a clone at a lower resolution) keeps
// that one's picture rather than laying a second over its corner.
bool WithinLarger(const std::vector<plat::MonitorInfo>& monitors, int index) {
  const plat::MonitorInfo& m = monitors[static_cast<size_t>(index)];
  const auto area = [](const plat::RECT& r) { return (r.right - r.left) * (r.bottom - r.top); };
  for (const plat::MonitorInfo& other : monitors)
    if (plat::CoversMonitor(other.rect, m) && area(other.rect) > area(m.rect)) return true;
  return false;
}

}  // namespace

std::vector<View> LayOutViews(const std::vector<plat::MonitorInfo>& monitors, const plat::RECT& window) {
  std::vector<View> views;
  const int height = window.bottom - window.top;
  int primary = plat::PrimaryMonitor(monitors);
  std::vector<int> order;
  if (primary >= 0) order.push_back(primary);
  for (int i = 0; i < static_cast<int>(monitors.size()); ++i)
    if (i != primary) order.push_back(i);
  for (int i : order) {
    // What the window shows of the monitor: all of it, or the part on the screen.
    plat::RECT m = plat::Overlap(window, monitors[static_cast<size_t>(i)].rect);
    if (plat::IsEmpty(m) || WithinLarger(monitors, i)) continue;
    // GL counts rows from the bottom of the window.
    View view{m.left - window.left, height - (m.bottom - window.top), m.right - m.left, m.bottom - m.top};
    if (std::find(views.begin(), views.end(), view) == views.end()) views.push_back(view);
  }
  if (views.empty()) views.push_back(View{0, 0, window.right - window.left, height});
  return views;
}

void InvalidateViews() { g_bViewsStale = true; }

void ResizeView(int width, int height) {
  InvalidateViews();
  ApplyView(0, 0, width, height);
}

int DrawModuleInViews(int n) {
  if (g_bViewsStale || g_hViewsWnd != ContextWindow()) RefreshViews(ContextWindow());
  if (g_bWholeWindow || g_Views.empty()) return DrawModule(n);

  // Whatever lies under no monitor stays black.
  glDisable(GL_SCISSOR_TEST);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glEnable(GL_SCISSOR_TEST);
  int drawn = 1;
  for (size_t i = 0; i < g_Views.size(); ++i) {
    const View& v = g_Views[i];
    glScissor(v.x, v.y, v.width, v.height);
    ApplyView(v.x, v.y, v.width, v.height);
    // Every view shows the same moment: only the last one's drawing moves the module on.
    if (i + 1 < g_Views.size()) {
      ModuleSnapshot before = TakeModuleSnapshot(n);
      if (DrawModule(n) == 0) drawn = 0;
      RestoreModuleSnapshot(before);
    } else if (DrawModule(n) == 0) {
      drawn = 0;
    }
  }
  glDisable(GL_SCISSOR_TEST);
  ApplyView(g_Views[0].x, g_Views[0].y, g_Views[0].width, g_Views[0].height);
  return drawn;
}

void RedrawStill(int n) {
  if (g_hRC == 0) return;
  ModuleSnapshot before = TakeModuleSnapshot(n);
  if (DrawModuleInViews(n) != 0) plat::SwapBuffers(g_hDC);
  RestoreModuleSnapshot(before);
}
