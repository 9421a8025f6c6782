#include "render/fpsreadout.h"

#include <GL/gl.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>

#include "platform/clock.h"
#include "platform/cputime.h"
#include "render/bitmapfont.h"

bool g_bShowFps = false;

namespace {

constexpr plat::DWORD WINDOW_MS = 1000;  // figures are renewed this often
constexpr const char* SAMPLE = "FPS: 000.0  Load: 000%";

bool g_bFpsStarted = false;
bool g_bFpsMeasured = false;
plat::DWORD g_dwFpsStart = 0;
std::uint64_t g_nCpuStart = 0;
int g_nFpsFrames = 0;
float g_fFps = 0.0f;
float g_fLoad = 0.0f;

// 1x in a preview, growing with the picture so the text stays readable full screen.
int ScaleFor(int viewportHeight) { return std::clamp(viewportHeight / 300, 1, 4); }

void CountFrame() {
  plat::DWORD now = plat::GetTickCount();
  std::uint64_t cpu = plat::GetProcessCpuMicros();
  if (!g_bFpsStarted) {
    g_bFpsStarted = true;
    g_dwFpsStart = now;
    g_nCpuStart = cpu;
    g_nFpsFrames = 0;
    return;  // rates count intervals, so the first frame only starts the clock
  }
  ++g_nFpsFrames;
  plat::DWORD elapsed = now - g_dwFpsStart;
  if (elapsed < WINDOW_MS) return;
  g_fFps = static_cast<float>(g_nFpsFrames) * 1000.0f / static_cast<float>(elapsed);
  // Every thread counts (the voices too); a clock that went back gives no load.
  double used = cpu >= g_nCpuStart ? static_cast<double>(cpu - g_nCpuStart) : 0.0;
  g_fLoad = static_cast<float>(used / 10.0 / static_cast<double>(elapsed));
  g_bFpsMeasured = true;
  g_dwFpsStart = now;
  g_nCpuStart = cpu;
  g_nFpsFrames = 0;
}

}  // namespace

std::string FpsReadoutText() {
  if (!g_bFpsMeasured) return "FPS: --  Load: --%";
  char text[48];
  std::snprintf(text, sizeof text, "FPS: %.1f  Load: %.0f%%", static_cast<double>(g_fFps),
                static_cast<double>(g_fLoad));
  return text;
}

void FpsReadoutBox(int, int viewportHeight, int* x, int* y, int* width, int* height) {
  int scale = ScaleFor(viewportHeight);
  // The shadow reaches one block right and one below the text.
  *x = 4 * scale;
  *y = 4 * scale - scale;
  *width = BitmapTextWidth(SAMPLE, scale) + scale;
  *height = BitmapTextHeight(scale) + scale;
}

void DrawFpsReadout() {
  CountFrame();
  std::string text = FpsReadoutText();

  GLint viewport[4];
  glGetIntegerv(GL_VIEWPORT, viewport);
  int scale = ScaleFor(viewport[3]);
  int left = 4 * scale, bottom = 4 * scale;

  glPushAttrib(GL_ALL_ATTRIB_BITS);
  glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadIdentity();
  glOrtho(0.0, viewport[2], 0.0, viewport[3], -1.0, 1.0);
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();

  glDisable(GL_TEXTURE_2D);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_ALPHA_TEST);
  glDisable(GL_BLEND);
  glDisable(GL_LIGHTING);
  glDisable(GL_FOG);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glPixelStorei(GL_UNPACK_LSB_FIRST, GL_FALSE);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
  glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
  glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);

  // A black shadow keeps the text legible over bright glyphs.
  glColor3f(0.0f, 0.0f, 0.0f);
  glRasterPos2i(left + scale, bottom - scale);
  DrawBitmapText(text.c_str(), scale);
  glColor3f(1.0f, 1.0f, 1.0f);
  glRasterPos2i(left, bottom);
  DrawBitmapText(text.c_str(), scale);

  glMatrixMode(GL_MODELVIEW);
  glPopMatrix();
  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glPopClientAttrib();
  glPopAttrib();  // also puts the matrix mode back
}

void ResetFpsReadoutForTesting() {
  g_bShowFps = false;
  g_bFpsStarted = g_bFpsMeasured = false;
  g_dwFpsStart = 0;
  g_nCpuStart = 0;
  g_nFpsFrames = 0;
  g_fFps = g_fLoad = 0.0f;
}
