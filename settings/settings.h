// The module table, its factory defaults, the working view set and the general
// settings, with the operations that move views between table and working set and
// persist everything in the per-user store.
#pragma once
#include <cstdint>

#include "platform/win.h"

// A module's view: what the keys steer, a module's table row keeps and the store holds.
struct ModuleView {
  float depth;
  float horz;
  float vert;
  float xrot;  // degrees
  float yrot;
  float zrot;
  float speed;
};

struct ModuleParams : ModuleView {
  bool active;
};

constexpr int MODULE_COUNT = 10;  // rows 1..10; row 0 exists but is never loaded or saved
// Speeds outside these are pinned to them, stored or set by the keys.
constexpr float SPEED_MIN = 0.0625f;
constexpr float SPEED_MAX = 10.0f;

extern ModuleParams g_Modules[MODULE_COUNT + 1];
extern ModuleParams g_ModuleDefaults[MODULE_COUNT + 1];

// The working set: the current module's view as drawn, whole and field by field.
extern ModuleView g_View;
extern float &g_fDepth, &g_fHorz, &g_fVert, &g_fXrot, &g_fYrot, &g_fZrot, &g_fSpeed;
extern int g_nModule;       // 0 = none, 1..10
extern float g_fAnimTime;   // animation clock
extern bool g_bSoundOn;     // "enable sound"
extern int g_nCycleSeconds; // "cycle time"
extern bool g_bNoFrameWarn; // "disable_frame_warn"

constexpr const char* KIRU_KEY = "Software\\Quillmoor\\Kiru";

// Fills g_Modules and g_ModuleDefaults with the factory table; reads nothing.
void BuildFactoryDefaults();
void LoadModuleParams(int n);
void StoreModuleParams(int n);
void RestoreModuleDefaults(int n);
int CountEnabledModules();
int NextEnabledModule(int n);
int PrevEnabledModule(int n);
// Every module switch: the current view goes back into the table, module n becomes
// current and its view is loaded (the animation clock restarts).
void SwitchModule(int n);
// "disable_frame_warn" = 1 in the store and in memory: the start-up test never runs again.
void DisableFrameWarning(plat::HWND window);
void LoadSettings();
void SaveSettings();
