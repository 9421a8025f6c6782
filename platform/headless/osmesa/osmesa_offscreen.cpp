#include "platform/headless/headless_offscreen.h"

#include <GL/osmesa.h>

#include <cstddef>

namespace plat::headless {
namespace {
OSMesaContext g_hContext = nullptr;
std::vector<unsigned char> g_Pixels;
int g_nWidth = 0, g_nHeight = 0;
}  // namespace

bool MakeOffscreenContext(int width, int height) {
  if (width <= 0 || height <= 0) return false;
  if (!g_hContext) {
    g_hContext = OSMesaCreateContextExt(OSMESA_RGBA, 24, 0, 0, nullptr);
    if (!g_hContext) return false;
  }
  g_Pixels.assign(static_cast<std::size_t>(width) * height * 4, 0);
  g_nWidth = width;
  g_nHeight = height;
  return OSMesaMakeCurrent(g_hContext, g_Pixels.data(), GL_UNSIGNED_BYTE, width, height) == GL_TRUE;
}

void DestroyOffscreenContext() {
  if (g_hContext) OSMesaDestroyContext(g_hContext);
  g_hContext = nullptr;
  g_Pixels.clear();
  g_nWidth = g_nHeight = 0;
}

void ReleaseOffscreenContext() { OSMesaMakeCurrent(nullptr, nullptr, 0, 0, 0); }

int OffscreenWidth() { return g_nWidth; }
int OffscreenHeight() { return g_nHeight; }
const unsigned char* OffscreenPixels() { return g_Pixels.empty() ? nullptr : g_Pixels.data(); }

}  // namespace plat::headless
