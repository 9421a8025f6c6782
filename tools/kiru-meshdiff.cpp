// kiru-meshdiff MODULE FRAME WIDTHxHEIGHT PREFIX
// Draws one module off-screen with the factory view and seed 1 up to frame FRAME
// (counted from 0) through the meshes, then the same quadrics through GLU, as the
// mesh picture test does, and writes PREFIX-meshes.png, PREFIX-glu.png and
// PREFIX-diff.png: GLU's picture dimmed, each differing pixel red inside a red
// ring so that a single one can be found. Prints the differing pixels.
#include <GL/gl.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/headless/headless_offscreen.h"
#include "render/glcontext.h"
#include "render/views.h"
#include "scene/quadric.h"
#include "settings/random.h"
#include "tools/offscreen_scene.h"
#include "tools/pngwrite.h"

namespace {

std::vector<unsigned char> Read(int width, int height) {
  glFinish();
  const unsigned char* pixels = plat::headless::OffscreenPixels();
  return {pixels, pixels + static_cast<std::size_t>(width) * height * 4};
}

}  // namespace

int main(int argc, char** argv) {
  int module = 0, frame = -1, width = 0, height = 0;
  if (argc != 5 || std::sscanf(argv[1], "%d", &module) != 1 || module < 1 || module > 10 ||
      std::sscanf(argv[2], "%d", &frame) != 1 || frame < 0 ||
      std::sscanf(argv[3], "%dx%d", &width, &height) != 2 || width < 1 || height < 1 || width > 8192 ||
      height > 8192) {
    std::fprintf(stderr, "usage: kiru-meshdiff MODULE(1-10) FRAME WIDTHxHEIGHT PREFIX\n");
    return 2;
  }
  if (!plat::headless::MakeOffscreenContext(width, height)) return 1;
  ResizeView(width, height);
  if (!InitGLState()) return 1;
  LoadFactoryView(module);
  SeedRandom(1);
  std::vector<QuadricDraw> drawn;
  for (int n = 0; n <= frame; ++n) {
    drawn.clear();
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    SetQuadricObserver([&](const QuadricDraw& d) { drawn.push_back(d); });
    DrawModule(module);
  }
  SetQuadricObserver({});
  const std::vector<unsigned char> meshes = Read(width, height);
  g_bQuadricMeshes = false;
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  for (const QuadricDraw& d : drawn) {
    glLoadMatrixf(d.modelview);
    if (d.kind == QuadricKind::Sphere)
      DrawSphere(d.base);
    else
      DrawCylinder(d.base, d.top, d.height);
  }
  const std::vector<unsigned char> glu = Read(width, height);

  std::vector<unsigned char> diff(glu.size());
  for (std::size_t p = 0; p < glu.size(); ++p) diff[p] = static_cast<unsigned char>(glu[p] / 4);
  constexpr int RING = 9;
  int count = 0;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const std::size_t p = (static_cast<std::size_t>(y) * width + x) * 4;
      if (std::memcmp(&meshes[p], &glu[p], 4) == 0) continue;
      ++count;
      // GL rows run bottom first; the PNG's top row is the last.
      std::printf("differs at (%d, %d) from the top left: meshes %02x%02x%02x, GLU %02x%02x%02x\n", x,
                  height - 1 - y, meshes[p], meshes[p + 1], meshes[p + 2], glu[p], glu[p + 1], glu[p + 2]);
      for (int dy = -RING - 1; dy <= RING + 1; ++dy)
        for (int dx = -RING - 1; dx <= RING + 1; ++dx) {
          const int r2 = dx * dx + dy * dy, px = x + dx, py = y + dy;
          const bool ring = r2 >= RING * RING && r2 < (RING + 1) * (RING + 1);
          if ((ring || r2 == 0) && px >= 0 && px < width && py >= 0 && py < height) {
            unsigned char* q = &diff[(static_cast<std::size_t>(py) * width + px) * 4];
            q[0] = 255, q[1] = 0, q[2] = 0;
          }
        }
    }
  std::printf("module %d, frame %d at %dx%d: %d differing pixels\n", module, frame, width, height, count);
  const std::string prefix = argv[4];
  const bool written = WritePng((prefix + "-meshes.png").c_str(), width, height, meshes.data()) &&
                       WritePng((prefix + "-glu.png").c_str(), width, height, glu.data()) &&
                       WritePng((prefix + "-diff.png").c_str(), width, height, diff.data());
  if (!written) std::fprintf(stderr, "kiru-meshdiff: cannot write %s-*.png\n", argv[4]);
  return written ? 0 : 1;
}
