#include "scene/snapshot.h"

#include <algorithm>

#include "scene/grid_modules.h"
#include "settings/random.h"
#include "settings/settings.h"

namespace {
float* const WORKING_SET[] = {&g_fDepth, &g_fHorz, &g_fVert, &g_fXrot, &g_fYrot, &g_fZrot, &g_fSpeed};
}  // namespace

ModuleSnapshot TakeModuleSnapshot(int module) {
  ModuleSnapshot s;
  s.module = std::clamp(module, 0, MODULE_COUNT);
  std::copy_n(g_Objects[s.module], MODULE_OBJECTS, s.objects);
  s.firstUse = g_bFirstUse[s.module];
  s.animTime = g_fAnimTime;
  for (int i = 0; i < 7; ++i) s.view[i] = *WORKING_SET[i];
  s.bounce = g_fBounce;
  s.bounceUp = g_bBounceUp;
  s.random = RandomState();
  return s;
}

void RestoreModuleSnapshot(const ModuleSnapshot& s) {
  std::copy_n(s.objects, MODULE_OBJECTS, g_Objects[s.module]);
  g_bFirstUse[s.module] = s.firstUse;
  g_fAnimTime = s.animTime;
  for (int i = 0; i < 7; ++i) *WORKING_SET[i] = s.view[i];
  g_fBounce = s.bounce;
  g_bBounceUp = s.bounceUp;
  SeedRandom(s.random);
}
