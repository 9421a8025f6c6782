// Everything a module routine moves on when it draws a frame, kept so that the
// same moment can be drawn again (one view per monitor).
#pragma once
#include <cstdint>

#include "scene/skeleton.h"
#include "settings/settings.h"

struct ModuleSnapshot {
  int module = 0;
  ModuleObject objects[MODULE_OBJECTS];
  bool firstUse = false;
  float animTime = 0.0f;
  ModuleView view = {};  // the working set
  float bounce = 0.0f;
  bool bounceUp = false;
  std::uint32_t random = 0;
};

ModuleSnapshot TakeModuleSnapshot(int module);
void RestoreModuleSnapshot(const ModuleSnapshot& snapshot);
