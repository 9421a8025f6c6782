// The GL context on a host window: framebuffer-config scoring, projection, fixed state.
#pragma once
#include <vector>

#include "platform/glsurface.h"
#include "platform/win.h"

extern plat::GLDC g_hDC;
extern plat::GLRC g_hRC;

bool CreateGLContext(plat::HWND window, int colourBits);
void DestroyGLContext();
plat::HWND ContextWindow();  // the window the context draws into, 0 = none
// Viewport and projection of one view: the module's aspect is the view's own.
void ApplyView(int x, int y, int width, int height);
// Before the view follows its host to a new size: after a shrink to under half the
// largest size drawn since the context was made, the context is made afresh (see
// glcontext.cpp). False when that failed; the failure has been told.
bool FitGLContextToSize(int width, int height);
bool InitGLState();
// Every acceptable config, best score first, then the system's choice; empty when
// the system has none.
std::vector<int> RankPixelFormats(plat::GLDC dc, int colourBits, bool softwareOnly);
int PickPixelFormat(plat::GLDC dc, int colourBits, bool softwareOnly);
unsigned ScorePixelFormat(const plat::FbConfig& config, int colourBits, bool softwareOnly);
