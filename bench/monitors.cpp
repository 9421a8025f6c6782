// Frame cost of one view against one view per monitor, off-screen and without the
// frame limiter: a 2560 x 1080 screen as one monitor, and as two 1280 x 1080
// monitors side by side (the same pixels, the scene drawn twice). CPU time per frame,
// quickest of three runs, each module.
// bench_monitors [FRAMES]   (default 10 frames per run)
#include <GL/gl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/cputime.h"
#include "platform/headless/headless.h"
#include "platform/window.h"
#include "render/glcontext.h"
#include "render/views.h"
#include "scene/skeleton.h"
#include "settings/random.h"
#include "tools/offscreen_scene.h"

namespace {

constexpr int WIDTH = 2560, HEIGHT = 1080, RUNS = 3;

plat::LRESULT Quiet(plat::HWND, plat::UINT, plat::WPARAM, plat::LPARAM) { return 0; }

plat::MonitorInfo Monitor(int left, int width) {
  plat::MonitorInfo m;
  m.rect = m.work = plat::RECT{left, 0, left + width, HEIGHT};
  m.primary = left == 0;
  return m;
}

// CPU milliseconds per frame with the views the monitors give.
double Measure(int module, int frames) {
  std::memset(g_Objects, 0, sizeof g_Objects);
  for (bool& f : g_bFirstUse) f = true;
  LoadFactoryView(module);
  SeedRandom(1);
  for (int n = 0; n < 5; ++n) DrawModuleInViews(module);
  glFinish();
  const auto cpu0 = plat::GetProcessCpuMicros();
  for (int n = 0; n < frames; ++n) {
    DrawModuleInViews(module);
    glFinish();  // what a buffer swap would wait for
  }
  return static_cast<double>(plat::GetProcessCpuMicros() - cpu0) / 1000.0 / frames;
}

double Quickest(int module, int frames, const std::vector<plat::MonitorInfo>& monitors) {
  plat::headless::SetMonitorsForTesting(monitors);
  InvalidateViews();
  double best = Measure(module, frames);
  for (int run = 1; run < RUNS; ++run) best = std::min(best, Measure(module, frames));
  return best;
}

}  // namespace

int main(int argc, char** argv) {
  const int frames = argc > 1 ? std::atoi(argv[1]) : 10;
  if (frames < 1) return 2;
  plat::headless::SetDesktopSizeForTesting(WIDTH, HEIGHT);
  plat::WindowSpec desc;
  desc.kind = plat::WindowKind::FullScreen;
  desc.proc = Quiet;
  if (!CreateGLContext(plat::CreateWindow(desc), 32)) return 1;
  std::printf("renderer: %s; %dx%d, CPU ms per frame (every thread), quickest of %d runs of %d frames\n",
              reinterpret_cast<const char*>(glGetString(GL_RENDERER)), WIDTH, HEIGHT, RUNS, frames);
  std::printf("%-6s | %12s %16s %6s\n", "module", "one monitor", "two 1280x1080", "ratio");
  for (int module = 1; module <= MODULE_COUNT; ++module) {
    double one = Quickest(module, frames, {Monitor(0, WIDTH)});
    double two = Quickest(module, frames, {Monitor(0, WIDTH / 2), Monitor(WIDTH / 2, WIDTH / 2)});
    std::printf("%-6d | %12.2f %16.2f %5.2fx\n", module, one, two, two / one);
    std::fflush(stdout);
  }
  DestroyGLContext();
  return 0;
}
