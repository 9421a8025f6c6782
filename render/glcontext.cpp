// The GL context on a host window: framebuffer-config choice by score, the fixed
// projection and state every module relies on, and tear-down that reports but
// never stops.
#include "render/glcontext.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <functional>
#include <utility>
#include <vector>

#include "platform/heap.h"
#include "platform/msgbox.h"
#include "platform/startuptrace.h"
#include "platform/window.h"
#include "scene/quadric.h"
#include "scene/texture.h"
#include "scene/tga.h"

plat::GLDC g_hDC;
plat::GLRC g_hRC;

namespace {

plat::HWND g_hGLWnd;  // the window g_hDC belongs to

constexpr int TEXTURE_RESOURCE = 107;
constexpr int REQUEST_DEPTH_BITS = 24;
constexpr unsigned DRIVER_BONUS = 1024;

constexpr const char* HARDWARE_TEXT =
    "Your video hardware doesn't appear to support the OpenGL \n"
    "hardware acceleration required for this screen saver.\n"
    "Check the manufacturer's web site to make sure you have\n"
    "installed the most current drivers for your video hardware.";

bool FailCreation(const char* text, const char* caption) {
  DestroyGLContext();
  plat::MessageBox(0, text, caption, plat::MB_OK | plat::MB_ICONEXCLAMATION);
  return false;
}

void ReportShutdown(const char* text) {
  plat::MessageBox(0, text, "SHUTDOWN ERROR", plat::MB_OK | plat::MB_ICONINFORMATION);
}

}  // namespace

unsigned ScorePixelFormat(const plat::FbConfig& config, int colourBits, bool softwareOnly) {
  if (config.bufferSize != colourBits || !config.supportGL || !config.drawToWindow ||
      config.depthSize <= 8 || !config.rgba) {
    return 0;
  }
  unsigned score = config.doubleBuffer ? 2 : 1;
  // Shallower depth buffers of 16 bits or more score higher; depths beyond 128 bits
  // would wrap the unsigned sum into a winning score, so they add nothing.
  if (config.depthSize >= 16 && config.depthSize <= 128) score += 128u - static_cast<unsigned>(config.depthSize);
  if (config.software) return score;
  return softwareOnly ? 0 : score + DRIVER_BONUS;
}

std::vector<int> RankPixelFormats(plat::GLDC dc, int colourBits, bool softwareOnly) {
  std::vector<plat::FbConfig> configs = plat::DescribeFbConfigs(dc);
  int chosen = plat::ChooseFbConfig(dc, colourBits, REQUEST_DEPTH_BITS);
  if (chosen == 0) return {};
  std::vector<std::pair<unsigned, int>> scored;
  for (const plat::FbConfig& config : configs)
    if (unsigned score = ScorePixelFormat(config, colourBits, softwareOnly)) scored.emplace_back(score, config.index);
  // Best first; equal scores go to the higher index.
  std::sort(scored.begin(), scored.end(), std::greater<>());
  std::vector<int> ranked;
  for (const auto& entry : scored) ranked.push_back(entry.second);
  if (std::find(ranked.begin(), ranked.end(), chosen) == ranked.end()) ranked.push_back(chosen);
  return ranked;
}

int PickPixelFormat(plat::GLDC dc, int colourBits, bool softwareOnly) {
  std::vector<int> ranked = RankPixelFormats(dc, colourBits, softwareOnly);
  return ranked.empty() ? 0 : ranked.front();
}

namespace {
std::int64_t g_nLargestView = 0;  // pixels: the largest client area since the context was made
}  // namespace

// The renderer keeps a context's buffers at the largest size it has drawn: a preview
// host grown to 16384 x 16384 held 1.7 GB and kept it when the host shrank back.
// Neither a new drawable nor rebinding lets them go; a context made afresh (the
// texture decoded again, some milliseconds) starts at the present size, and the heap
// the old one leaves goes back to the system. Small changes keep the context.
bool FitGLContextToSize(int width, int height) {
  std::int64_t area = static_cast<std::int64_t>(width) * height;
  if (area > g_nLargestView) g_nLargestView = area;
  if (g_hRC == 0 || area * 2 >= g_nLargestView) return true;
  plat::HWND window = g_hGLWnd;
  DestroyGLContext();
  bool made = CreateGLContext(window, 32);
  plat::ReturnFreedHeap();
  return made;
}

bool CreateGLContext(plat::HWND window, int colourBits) {
  g_hDC = plat::GetGLDC(window);
  if (!g_hDC) return FailCreation("Can't Create A GL Device Context.", "ERROR");
  g_hGLWnd = window;

  std::vector<int> formats = RankPixelFormats(g_hDC, colourBits, false);
  if (formats.empty()) return FailCreation(HARDWARE_TEXT, "Kiru Screen Saver Error");
  // Some servers refuse a window for configs they list (a Xinerama screen's
  // visuals): the next best one is tried before giving up.
  bool set = false;
  for (size_t i = 0; i < formats.size() && !set; ++i) set = plat::SetFbConfig(g_hDC, formats[i]);
  plat::TraceStartup("config chosen");
  if (!set) return FailCreation("Can't Set The PixelFormat.", "ERROR");

  g_hRC = plat::CreateGLRC(g_hDC);
  if (!g_hRC) return FailCreation("Can't Create A GL Rendering Context.", "ERROR");
  if (!plat::MakeCurrent(g_hDC, g_hRC)) return FailCreation("Can't Activate The GL Rendering Context.", "ERROR");
  plat::TraceStartup("context current");

  plat::RECT client;
  plat::GetClientRect(window, &client);
  ApplyView(0, 0, client.right, client.bottom);
  g_nLargestView = static_cast<std::int64_t>(client.right) * client.bottom;

  if (!InitGLState()) return FailCreation("Initialization Failed.", "ERROR");
  return true;
}

plat::HWND ContextWindow() { return g_hGLWnd; }

void DestroyGLContext() {
  // The quadric is plain memory, not a GL object; freeing it here keeps a second
  // creation in the same process from leaking the first one.
  if (g_pQuadric) {
    gluDeleteQuadric(g_pQuadric);
    g_pQuadric = nullptr;
  }
  if (g_hRC) {
    if (!plat::MakeCurrent(0, 0)) ReportShutdown("Release Of DC And RC Failed.");
    if (!plat::DeleteGLRC(g_hRC)) ReportShutdown("Release Rendering Context Failed.");
    g_hRC = 0;
  }
  if (g_hDC) {
    if (!plat::ReleaseGLDC(g_hGLWnd, g_hDC)) ReportShutdown("Release Device Context Failed.");
    g_hDC = 0;
    g_hGLWnd = 0;
  }
}

void ApplyView(int x, int y, int width, int height) {
  if (height == 0) height = 1;
  glViewport(x, y, width, height);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluPerspective(50.0, static_cast<double>(width) / static_cast<double>(height),
                 static_cast<double>(0.1f), 1000.0);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
}

bool InitGLState() {
  plat::KeepFreedHeap();
  if (!LoadTextureResource(TEXTURE_RESOURCE, 0)) return false;
  plat::TraceStartup("texture loaded");
  // Slot 0 stays bound for the context's life: the modules bind no other texture.
  glBindTexture(GL_TEXTURE_2D, g_TextureSlots[0].texture);

  glShadeModel(GL_SMOOTH);
  glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
  glClearDepth(1.0);
  glEnable(GL_DEPTH_TEST);
  glDepthFunc(GL_LEQUAL);
  glAlphaFunc(GL_GREATER, 0.0f);  // fully transparent texels are never drawn
  glEnable(GL_ALPHA_TEST);
  glEnable(GL_TEXTURE_2D);

  const bool quadrics = SetUpQuadrics();
  plat::TraceStartup("meshes built");
  return quadrics;
}
