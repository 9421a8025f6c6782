// GL drawing surfaces on windows: framebuffer configs described field by field
// (what the pixel-format score looks at), the system's own choice, a context.
#pragma once
#include <vector>

#include "platform/win.h"

namespace plat {

struct FbConfig {
  int index = 0;          // 1-based, as pixel formats are numbered
  int bufferSize = 0;     // colour bits
  int depthSize = 0;
  bool rgba = false;
  bool doubleBuffer = false;
  bool drawToWindow = false;
  bool supportGL = false;
  bool software = false;  // drawn by the system's software renderer
};

using GLDC = std::uintptr_t;  // a window's drawing surface; 0 = none
using GLRC = std::uintptr_t;  // a rendering context; 0 = none

GLDC GetGLDC(HWND window);
bool ReleaseGLDC(HWND window, GLDC dc);
// Every config of the screen, in order. One that cannot draw into a window at all
// may be described by that alone (drawToWindow and supportGL false, counts 0).
std::vector<FbConfig> DescribeFbConfigs(GLDC dc);
int ChooseFbConfig(GLDC dc, int colourBits, int depthBits);  // the system's choice, 0 = none
bool SetFbConfig(GLDC dc, int index);
GLRC CreateGLRC(GLDC dc);
bool MakeCurrent(GLDC dc, GLRC rc);  // (0, 0) releases
bool DeleteGLRC(GLRC rc);
bool SwapBuffers(GLDC dc);

}  // namespace plat
