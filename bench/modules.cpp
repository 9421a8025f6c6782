// Frame cost of each module off-screen, without the frame limiter: every quadric is
// tessellated by GLU each frame, as the program draws it.
// bench_modules [FRAMES]   (default 60 frames per module and size)
#include <GL/gl.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "platform/cputime.h"
#include "platform/headless/offscreen.h"
#include "render/glcontext.h"
#include "settings/random.h"
#include "tools/offscreen_scene.h"

namespace {
void Frame(int module) {
  glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
  DrawModule(module);
  glFinish();  // what a buffer swap would wait for
}
}  // namespace

int main(int argc, char** argv) {
  const int frames = argc > 1 ? std::atoi(argv[1]) : 60;
  if (frames < 1) return 2;
  const struct {
    int width, height;
  } sizes[] = {{640, 480}, {1920, 1080}};
  // One context for both sizes: the texture and quadric are set up once.
  if (!plat::headless::MakeOffscreenContext(sizes[0].width, sizes[0].height)) return 1;
  if (!InitGLState()) return 1;
  std::printf("renderer: %s, %d frames per row\n",
              reinterpret_cast<const char*>(glGetString(GL_RENDERER)), frames);
  std::printf("%-8s %-10s %12s %12s %10s\n", "module", "size", "cpu ms/fr", "wall ms/fr", "fps");
  for (const auto& size : sizes) {
    if (!plat::headless::MakeOffscreenContext(size.width, size.height)) return 1;
    ResizeView(size.width, size.height);
    for (int module = 1; module <= MODULE_COUNT; ++module) {
      LoadFactoryView(module);
      SeedRandom(1);
      for (int n = 0; n < 5; ++n) Frame(module);  // first use and warm-up
      const double cpu0 = static_cast<double>(plat::GetProcessCpuMicros()) / 1e6;
      const auto wall0 = std::chrono::steady_clock::now();
      for (int n = 0; n < frames; ++n) Frame(module);
      const double wall =
          std::chrono::duration<double>(std::chrono::steady_clock::now() - wall0).count();
      const double cpu = static_cast<double>(plat::GetProcessCpuMicros()) / 1e6 - cpu0;
      char label[16];
      std::snprintf(label, sizeof label, "%dx%d", size.width, size.height);
      std::printf("%-8d %-10s %12.2f %12.2f %10.1f\n", module, label, 1000.0 * cpu / frames,
                  1000.0 * wall / frames, frames / wall);
      std::fflush(stdout);
    }
  }
  return 0;
}
