#include "scene/snapshot.h"

#include <algorithm>

#include "scene/grid_modules.h"
#include "settings/random.h"
#include "settings/settings.h"

ModuleSnapshot TakeModuleSnapshot(int module) {
  ModuleSnapshot s;
  s.module = std::clamp(module, 0, MODULE_COUNT);
  std::copy_n(g_Objects[s.module], MODULE_OBJECTS, s.objects);
  s.firstUse = g_bFirstUse[s.module];
  s.animTime = g_fAnimTime;
  s.view = g_View;
  s.bounce = g_fBounce;
  s.bounceUp = g_bBounceUp;
  s.random = RandomState();
  return s;
}

void RestoreModuleSnapshot(const ModuleSnapshot& s) {
  std::copy_n(s.objects, MODULE_OBJECTS, g_Objects[s.module]);
  g_bFirstUse[s.module] = s.firstUse;
  g_fAnimTime = s.animTime;
  g_View = s.view;
  g_fBounce = s.bounce;
  g_bBounceUp = s.bounceUp;
  SeedRandom(s.random);
}
