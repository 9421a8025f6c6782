// The GL context on a host window: framebuffer-config scoring, projection, fixed state.
#pragma once
#include "platform/glsurface.h"
#include "platform/win.h"

struct GLUquadric;

extern plat::GLDC g_hDC;
extern plat::GLRC g_hRC;
extern GLUquadric* g_pQuadric;

bool CreateGLContext(plat::HWND window, int colourBits);
void DestroyGLContext();
void ResizeView(int width, int height);
bool InitGLState();
int PickPixelFormat(plat::GLDC dc, int colourBits, bool softwareOnly);
unsigned ScorePixelFormat(const plat::FbConfig& config, int colourBits, bool softwareOnly);
