// Stand-ins for pieces other branches are building, so that the shell tests link
// (they never run the real frame pump's work). Each steps aside by itself once
// its real counterpart is in the tree; delete this file when both have.
#include "platform/win.h"

#if !__has_include("ui/settingsdlg.h")
int RunSettingsDialog(plat::HWND) { return 0; }
#endif

#if !__has_include("settings/settings.cpp") && !__has_include("settings/registry.cpp")
#include <cstdint>

#include "settings/registry.h"
#include "settings/settings.h"

void SelectRegKey(plat::HWND, const char*) {}
std::int32_t RegReadDword(const char*, std::int32_t defaultValue) { return defaultValue; }
bool RegWriteDword(const char*, std::int32_t) { return true; }
void LoadModuleParams(int) {}
void StoreModuleParams(int) {}
void RestoreModuleDefaults(int) {}
int CountEnabledModules() { return 0; }
int NextEnabledModule(int) { return 0; }
int PrevEnabledModule(int) { return 0; }
void LoadSettings() {}
void SaveSettings() {}
#endif
