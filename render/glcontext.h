// The GL context on a host window: framebuffer-config scoring, projection, fixed state.
#pragma once
#include "platform/glsurface.h"
#include "platform/win.h"

extern plat::GLDC g_hDC;
extern plat::GLRC g_hRC;

bool CreateGLContext(plat::HWND window, int colourBits);
void DestroyGLContext();
void ResizeView(int width, int height);
bool InitGLState();
int PickPixelFormat(plat::GLDC dc, int colourBits, bool softwareOnly);
unsigned ScorePixelFormat(const plat::FbConfig& config, int colourBits, bool softwareOnly);
