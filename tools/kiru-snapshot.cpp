// kiru-snapshot MODULE FRAMES WIDTHxHEIGHT FILE.png
// Draws FRAMES frames of one module off-screen with the factory view and writes the
// last one as a PNG: pictures of the modules for people, without a display.
#include <GL/gl.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/headless/headless_offscreen.h"
#include "render/glcontext.h"
#include "render/views.h"
#include "settings/random.h"
#include "tools/pngwrite.h"
#include "tools/offscreen_scene.h"


int main(int argc, char** argv) {
  int module = 0, frames = 0, width = 0, height = 0;
  if (argc != 5 || std::sscanf(argv[1], "%d", &module) != 1 || module < 1 || module > 10 ||
      std::sscanf(argv[2], "%d", &frames) != 1 || frames < 1 ||
      std::sscanf(argv[3], "%dx%d", &width, &height) != 2 || width < 1 || height < 1 ||
      width > 8192 || height > 8192) {
    std::fprintf(stderr, "usage: kiru-snapshot MODULE(1-10) FRAMES WIDTHxHEIGHT FILE.png\n");
    return 2;
  }
  if (!plat::headless::MakeOffscreenContext(width, height)) {
    std::fprintf(stderr, "kiru-snapshot: no off-screen GL context\n");
    return 1;
  }
  ResizeView(width, height);
  if (!InitGLState()) {
    std::fprintf(stderr, "kiru-snapshot: texture 107 did not load\n");
    return 1;
  }
  LoadFactoryView(module);
  SeedRandom(1);  // the same swarm every time
  for (int n = 0; n < frames; ++n) {
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    DrawModule(module);
  }
  glFinish();
  if (!WritePng(argv[4], width, height, plat::headless::OffscreenPixels())) {
    std::fprintf(stderr, "kiru-snapshot: cannot write %s\n", argv[4]);
    return 1;
  }
  return 0;
}
