// Everything a module routine moves on when it draws a frame, kept so that the
// same moment can be drawn again (one view per monitor).
#pragma once
#include <cstdint>

#include "scene/skeleton.h"

struct ModuleSnapshot {
  int module = 0;
  ModuleObject objects[MODULE_OBJECTS];
  bool firstUse = false;
  float animTime = 0.0f;
  float depth = 0.0f, horz = 0.0f, vert = 0.0f, xrot = 0.0f, yrot = 0.0f, zrot = 0.0f, speed = 0.0f;
  float bounce = 0.0f;
  bool bounceUp = false;
  std::uint32_t random = 0;
};

ModuleSnapshot TakeModuleSnapshot(int module);
void RestoreModuleSnapshot(const ModuleSnapshot& snapshot);
