// Frame cost of each module off-screen, without the frame limiter, with every quadric
// tessellated by GLU on each call and with the prebuilt meshes, side by side: GL
// calls per frame (counted), CPU and wall time per frame, frames per second. The
// two paths take turns, three runs each, and the quickest run of each counts, so
// that other work on the machine weighs on both alike.
// bench_modules [FRAMES]   (default 20 frames per run)
#include <GL/gl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "bench/glcount.h"
#include "platform/cputime.h"
#include "platform/headless/headless_offscreen.h"
#include "render/glcontext.h"
#include "render/views.h"
#include "scene/quadric.h"
#include "scene/quadricmesh.h"
#include "scene/skeleton.h"
#include "settings/random.h"
#include "tools/offscreen_scene.h"

namespace {

struct Cost {
  double calls, cpuMs, wallMs, fps;
};

void Frame(int module) {
  glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
  DrawModule(module);
  glFinish();  // what a buffer swap would wait for
}

// The same frames for either path: fresh objects, seed and view.
Cost Measure(int module, bool meshes, int frames) {
  g_bQuadricMeshes = meshes;
  std::memset(g_Objects, 0, sizeof g_Objects);
  for (bool& f : g_bFirstUse) f = true;
  LoadFactoryView(module);
  SeedRandom(1);
  for (int n = 0; n < 5; ++n) Frame(module);  // first use and warm-up
  g_nGLCalls = 0;
  const double cpu0 = static_cast<double>(plat::GetProcessCpuMicros()) / 1e6;
  const auto wall0 = std::chrono::steady_clock::now();
  for (int n = 0; n < frames; ++n) Frame(module);
  const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - wall0).count();
  const double cpu = static_cast<double>(plat::GetProcessCpuMicros()) / 1e6 - cpu0;
  return {static_cast<double>(g_nGLCalls) / frames, 1000.0 * cpu / frames, 1000.0 * wall / frames,
          frames / wall};
}

constexpr int RUNS = 3;

Cost Quicker(const Cost& a, const Cost& b) {
  return {a.calls, std::min(a.cpuMs, b.cpuMs), std::min(a.wallMs, b.wallMs), std::max(a.fps, b.fps)};
}

}  // namespace

int main(int argc, char** argv) {
  const int frames = argc > 1 ? std::atoi(argv[1]) : 20;
  if (frames < 1) return 2;
  const struct {
    int width, height;
  } sizes[] = {{160, 120}, {640, 480}, {1920, 1080}};
  // One context for every size: the texture and meshes are set up once.
  if (!plat::headless::MakeOffscreenContext(sizes[0].width, sizes[0].height)) return 1;
  if (!InitGLState()) return 1;
  std::printf("renderer: %s; %d runs of %d frames per path, the quickest shown; GL calls counted,"
              " CPU counts every thread\n",
              reinterpret_cast<const char*>(glGetString(GL_RENDERER)), RUNS, frames);
  // What leaving out the triangles that cannot show keeps of each mesh.
  std::printf("triangles kept of each mesh size:");
  for (const QuadricMesh& mesh : QuadricMeshes())
    std::printf(" %zu/%zu", mesh.indices.size() / 3,
                BuildQuadricMesh(mesh.sphere, mesh.base, mesh.top, mesh.height, -1).indices.size() / 3);
  std::printf("\n");
  std::printf("%-6s %-9s | %9s %7s %6s | %8s %8s %5s | %6s %6s\n", "module", "size",
              "GLU calls", "mesh", "fewer", "GLU cpu", "mesh cpu", "less", "GLU fps", "mesh");
  for (const auto& size : sizes) {
    if (!plat::headless::MakeOffscreenContext(size.width, size.height)) return 1;
    ResizeView(size.width, size.height);
    char label[16];
    std::snprintf(label, sizeof label, "%dx%d", size.width, size.height);
    for (int module = 1; module <= MODULE_COUNT; ++module) {
      Cost glu = Measure(module, false, frames), mesh = Measure(module, true, frames);
      for (int run = 1; run < RUNS; ++run) {
        glu = Quicker(glu, Measure(module, false, frames));
        mesh = Quicker(mesh, Measure(module, true, frames));
      }
      std::printf("%-6d %-9s | %9.0f %7.0f %5.0fx | %8.2f %8.2f %4.1fx | %7.1f %6.1f\n", module,
                  label, glu.calls, mesh.calls, glu.calls / mesh.calls, glu.cpuMs, mesh.cpuMs,
                  glu.cpuMs / mesh.cpuMs, glu.fps, mesh.fps);
      std::fflush(stdout);
    }
  }
  return 0;
}
