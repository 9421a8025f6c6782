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
  s.depth = g_fDepth;
  s.horz = g_fHorz;
  s.vert = g_fVert;
  s.xrot = g_fXrot;
  s.yrot = g_fYrot;
  s.zrot = g_fZrot;
  s.speed = g_fSpeed;
  s.bounce = g_fBounce;
  s.bounceUp = g_bBounceUp;
  s.random = RandomState();
  return s;
}

void RestoreModuleSnapshot(const ModuleSnapshot& s) {
  std::copy_n(s.objects, MODULE_OBJECTS, g_Objects[s.module]);
  g_bFirstUse[s.module] = s.firstUse;
  g_fAnimTime = s.animTime;
  g_fDepth = s.depth;
  g_fHorz = s.horz;
  g_fVert = s.vert;
  g_fXrot = s.xrot;
  g_fYrot = s.yrot;
  g_fZrot = s.zrot;
  g_fSpeed = s.speed;
  g_fBounce = s.bounce;
  g_bBounceUp = s.bounceUp;
  SeedRandom(s.random);
}
