// GL surfaces without a display: a drawing surface per window, a configurable list
// of framebuffer configs, and one OSMesa context sized to the window it is made
// current on. Presented frames are counted.
#include <GL/gl.h>

#include <algorithm>
#include <map>
#include <mutex>

#include "platform/glsurface.h"
#include "platform/headless/headless.h"
#include "platform/headless/headless_offscreen.h"
#include "platform/window.h"

namespace plat {
namespace headless {
namespace {

// What a Mesa driver typically offers: a few hardware-like configs and a software one.
std::vector<FbConfig> DefaultConfigs() {
  std::vector<FbConfig> configs = {
      {0, 32, 24, true, true, true, true, false},
      {0, 32, 16, true, true, true, true, false},
      {0, 24, 24, true, true, true, true, false},
      {0, 32, 24, true, false, true, true, false},
      {0, 32, 24, true, true, true, true, true},
  };
  for (std::size_t i = 0; i < configs.size(); ++i) configs[i].index = static_cast<int>(i) + 1;
  return configs;
}

struct Surface {
  HWND window = 0;
  int config = 0;
};

std::mutex g_lock;
std::vector<FbConfig> g_Configs = DefaultConfigs();
int g_nSystemChoice = 1;
GLFailures g_Failures;
std::map<GLDC, Surface> g_Surfaces;
GLRC g_hLiveRC = 0;
GLRC g_hNextRC = 1;
int g_nPresented = 0;

}  // namespace

void SetFbConfigsForTesting(std::vector<FbConfig> configs, int systemChoice) {
  std::lock_guard<std::mutex> guard(g_lock);
  for (std::size_t i = 0; i < configs.size(); ++i) configs[i].index = static_cast<int>(i) + 1;
  g_Configs = std::move(configs);
  g_nSystemChoice = systemChoice;
}

void SetGLFailuresForTesting(const GLFailures& failures) {
  std::lock_guard<std::mutex> guard(g_lock);
  g_Failures = failures;
}

int PresentedFrames() {
  std::lock_guard<std::mutex> guard(g_lock);
  return g_nPresented;
}

int SelectedFbConfig(GLDC dc) {
  std::lock_guard<std::mutex> guard(g_lock);
  auto it = g_Surfaces.find(dc);
  return it == g_Surfaces.end() ? 0 : it->second.config;
}

void ResetWindowsForTesting();  // window.cpp

void ResetForTesting() {
  {
    std::lock_guard<std::mutex> guard(g_lock);
    if (g_hLiveRC) DestroyOffscreenContext();
    g_hLiveRC = 0;
    g_Surfaces.clear();
    g_Configs = DefaultConfigs();
    g_nSystemChoice = 1;
    g_Failures = GLFailures{};
    g_nPresented = 0;
  }
  ResetWindowsForTesting();
}

}  // namespace headless

using headless::g_lock;

// The surface handle is the window handle: one surface per window.
GLDC GetGLDC(HWND window) {
  if (!IsWindow(window)) return 0;
  std::lock_guard<std::mutex> guard(g_lock);
  if (headless::g_Failures.getDC) return 0;
  headless::Surface& surface = headless::g_Surfaces[window];
  surface.window = window;
  return static_cast<GLDC>(window);
}

bool ReleaseGLDC(HWND window, GLDC dc) {
  std::lock_guard<std::mutex> guard(g_lock);
  if (headless::g_Failures.releaseDC) return false;
  auto it = headless::g_Surfaces.find(dc);
  return it != headless::g_Surfaces.end() && it->second.window == window;
}

std::vector<FbConfig> DescribeFbConfigs(GLDC dc) {
  std::lock_guard<std::mutex> guard(g_lock);
  if (!headless::g_Surfaces.count(dc)) return {};
  return headless::g_Configs;
}

int ChooseFbConfig(GLDC dc, int, int) {
  std::lock_guard<std::mutex> guard(g_lock);
  return headless::g_Surfaces.count(dc) ? headless::g_nSystemChoice : 0;
}

bool SetFbConfig(GLDC dc, int index) {
  std::lock_guard<std::mutex> guard(g_lock);
  auto it = headless::g_Surfaces.find(dc);
  if (headless::g_Failures.setConfig || it == headless::g_Surfaces.end()) return false;
  if (index < 1 || index > static_cast<int>(headless::g_Configs.size())) return false;
  const std::vector<int>& refused = headless::g_Failures.refusedConfigs;
  if (std::find(refused.begin(), refused.end(), index) != refused.end()) return false;
  // A window keeps the config it was first given, as with pixel formats.
  if (it->second.config != 0 && it->second.config != index) return false;
  it->second.config = index;
  return true;
}

GLRC CreateGLRC(GLDC dc) {
  std::lock_guard<std::mutex> guard(g_lock);
  auto it = headless::g_Surfaces.find(dc);
  if (headless::g_Failures.createRC || it == headless::g_Surfaces.end() || it->second.config == 0) return 0;
  if (headless::g_hLiveRC) return 0;  // one context per process
  headless::g_hLiveRC = headless::g_hNextRC++;
  return headless::g_hLiveRC;
}

bool MakeCurrent(GLDC dc, GLRC rc) {
  std::unique_lock<std::mutex> guard(g_lock);
  if (dc == 0 && rc == 0) {
    if (headless::g_Failures.release) return false;
    if (headless::g_hLiveRC) headless::ReleaseOffscreenContext();
    return true;
  }
  auto it = headless::g_Surfaces.find(dc);
  if (headless::g_Failures.makeCurrent || it == headless::g_Surfaces.end() || rc == 0 ||
      rc != headless::g_hLiveRC) {
    return false;
  }
  HWND window = it->second.window;
  guard.unlock();
  RECT client;
  if (!GetClientRect(window, &client)) return false;
  int width = client.right > 0 ? client.right : 1;
  int height = client.bottom > 0 ? client.bottom : 1;
  return headless::MakeOffscreenContext(width, height);
}

bool DeleteGLRC(GLRC rc) {
  std::lock_guard<std::mutex> guard(g_lock);
  if (headless::g_Failures.deleteRC || rc == 0 || rc != headless::g_hLiveRC) return false;
  headless::DestroyOffscreenContext();
  headless::g_hLiveRC = 0;
  return true;
}

bool SwapBuffers(GLDC dc) {
  {
    std::lock_guard<std::mutex> guard(g_lock);
    if (!headless::g_Surfaces.count(dc) || !headless::g_hLiveRC) return false;
    ++headless::g_nPresented;
  }
  glFinish();  // the frame is in the readable buffer when this returns
  return true;
}

}  // namespace plat
