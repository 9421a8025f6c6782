// kiru-snapshot MODULE FRAMES WIDTHxHEIGHT FILE.png
// Draws FRAMES frames of one module off-screen with the factory view and writes the
// last one as a PNG: pictures of the modules for people, without a display.
#include <GL/gl.h>
#include <png.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/headless/offscreen.h"
#include "render/glcontext.h"
#include "settings/random.h"
#include "tools/offscreen_scene.h"

namespace {
bool WritePng(const char* path, int width, int height, const unsigned char* rgba) {
  FILE* file = std::fopen(path, "wb");
  if (!file) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!info || setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    std::fclose(file);
    return false;
  }
  png_init_io(png, file);
  png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  // GL rows run bottom first; drop alpha, the picture is opaque on screen.
  std::vector<unsigned char> row(static_cast<std::size_t>(width) * 3);
  for (int y = height - 1; y >= 0; --y) {
    const unsigned char* src = rgba + static_cast<std::size_t>(y) * width * 4;
    for (int x = 0; x < width; ++x)
      for (int c = 0; c < 3; ++c) row[x * 3 + c] = src[x * 4 + c];
    png_write_row(png, row.data());
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return std::fclose(file) == 0;
}
}  // namespace

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
