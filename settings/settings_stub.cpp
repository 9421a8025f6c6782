// Stand-in for the settings store until it lands: in-memory values, every module
// enabled, nothing saved. It steps aside by itself once the real store is in the
// tree; delete it then. Defines exactly what the tests' settings fakes define.
#if !__has_include("settings/settings.cpp") && !__has_include("settings/registry.cpp")
#include <map>
#include <string>

#include "settings/registry.h"
#include "settings/settings.h"

namespace {
std::map<std::string, std::int32_t> g_Values;
}

void SelectRegKey(plat::HWND, const char*) {}
std::int32_t RegReadDword(const char* name, std::int32_t defaultValue) {
  auto it = g_Values.find(name);
  return it == g_Values.end() ? defaultValue : it->second;
}
bool RegWriteDword(const char* name, std::int32_t value) {
  g_Values[name] = value;
  return true;
}

void LoadModuleParams(int n) {
  if (n >= 1 && n <= MODULE_COUNT) {
    const ModuleParams& m = g_Modules[n];
    g_fDepth = m.depth, g_fHorz = m.horz, g_fVert = m.vert;
    g_fXrot = m.xrot, g_fYrot = m.yrot, g_fZrot = m.zrot, g_fSpeed = m.speed;
  }
  g_fAnimTime = 0.0f;
}
void StoreModuleParams(int n) {
  if (n < 1 || n > MODULE_COUNT) return;
  ModuleParams& m = g_Modules[n];
  m.depth = g_fDepth, m.horz = g_fHorz, m.vert = g_fVert;
  m.xrot = g_fXrot, m.yrot = g_fYrot, m.zrot = g_fZrot, m.speed = g_fSpeed;
}
void RestoreModuleDefaults(int n) {
  if (n < 1 || n > MODULE_COUNT) return;
  const ModuleParams& m = g_ModuleDefaults[n];
  g_fDepth = m.depth, g_fHorz = m.horz, g_fVert = m.vert;
  g_fXrot = m.xrot, g_fYrot = m.yrot, g_fZrot = m.zrot, g_fSpeed = m.speed;
}
int CountEnabledModules() {
  int count = 0;
  for (int n = 1; n <= MODULE_COUNT; ++n) count += g_Modules[n].active ? 1 : 0;
  return count;
}
int NextEnabledModule(int n) {
  int candidate = n;
  for (int tries = 0; tries < MODULE_COUNT + 1; ++tries) {
    candidate = candidate >= MODULE_COUNT ? 1 : candidate + 1;
    if (g_Modules[candidate].active) return candidate;
  }
  return 0;
}
int PrevEnabledModule(int n) {
  int candidate = n;
  for (int tries = 0; tries < MODULE_COUNT + 1; ++tries) {
    candidate = candidate <= 1 ? MODULE_COUNT : candidate - 1;
    if (g_Modules[candidate].active) return candidate;
  }
  return 0;
}
void LoadSettings() {
  for (int n = 0; n <= MODULE_COUNT; ++n) {
    g_Modules[n] = ModuleParams{40, 0, 0, -90, 0, 0, 0.5f, true};
    g_ModuleDefaults[n] = g_Modules[n];
  }
  g_bSoundOn = RegReadDword("enable sound", 0) > 0;
  g_nCycleSeconds = RegReadDword("cycle time", 15);
  g_nModule = NextEnabledModule(0);
  LoadModuleParams(g_nModule);
}
void SaveSettings() {}

#endif
