// The GL context on a host window: framebuffer-config scoring, projection, fixed state.
#pragma once
#include "platform/glsurface.h"
#include "platform/win.h"

extern plat::GLDC g_hDC;
extern plat::GLRC g_hRC;

bool CreateGLContext(plat::HWND window, int colourBits);
void DestroyGLContext();
void ResizeView(int width, int height);
// Before the view follows its host to a new size: after a shrink to under half the
// largest size drawn since the context was made, the context is made afresh (see
// glcontext.cpp). False when that failed; the failure has been told.
bool FitGLContextToSize(int width, int height);
bool InitGLState();
int PickPixelFormat(plat::GLDC dc, int colourBits, bool softwareOnly);
unsigned ScorePixelFormat(const plat::FbConfig& config, int colourBits, bool softwareOnly);
