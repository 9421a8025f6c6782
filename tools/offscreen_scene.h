// Module routines by number and the factory views, for the off-screen tools and
// benchmarks. The GL state comes from ResizeView (render/views.h) and InitGLState as in the program.
#pragma once
#include "scene/modules.h"
#include "settings/settings.h"

// The factory view of `module` in the working set, without reading or writing
// anyone's stored settings.
inline void LoadFactoryView(int module) {
  BuildFactoryDefaults();
  g_nModule = module;
  LoadModuleParams(module);
}
