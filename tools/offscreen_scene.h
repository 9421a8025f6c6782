// Module routines by number and the factory views, for the off-screen tools and
// benchmarks. The GL state comes from ResizeView and InitGLState as in the program.
#pragma once
#include "scene/modules.h"
#include "settings/settings.h"

inline int (*const g_pDraw[MODULE_COUNT + 1])() = {
    nullptr,     DrawModule1, DrawModule2, DrawModule3, DrawModule4,  DrawModule5,
    DrawModule6, DrawModule7, DrawModule8, DrawModule9, DrawModule10};

// The factory views, without reading or writing anyone's stored settings.
// TODO: take them from the settings loader's factory table once it is on main.
inline void LoadFactoryView(int module) {
  for (ModuleParams& p : g_Modules) p = {40, 0, 0, -90, 0, 0, 0.5f, true};
  g_Modules[1] = {50, 0, 0, -90, 0, 0, 0.5f, true};
  g_Modules[3] = {68, 0, 0, -90, 0, 0, 0.5f, true};
  g_Modules[4] = {25, 0, -1.25f, 0, 90, 0, 0.5f, true};
  g_Modules[5] = {22, -6, -4, -157.7f, 208.6f, 0, 0.5f, true};
  g_Modules[7] = {25, -7, 12.15f, -90, 90, 0, 0.5f, true};
  g_Modules[8] = {14, 0, 0, -90, 0, 0, 0.5f, true};
  g_Modules[9] = {30, 0, 0, 0, 0, 0, 0.5f, true};
  g_Modules[10] = {45, 0, 0, -90, 0, 0, 0.3f, true};
  const ModuleParams& p = g_Modules[module];
  g_fDepth = p.depth, g_fHorz = p.horz, g_fVert = p.vert;
  g_fXrot = p.xrot, g_fYrot = p.yrot, g_fZrot = p.zrot, g_fSpeed = p.speed;
  g_nModule = module;
  g_fAnimTime = 0.0f;
}
