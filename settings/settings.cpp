#include "settings/settings.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <map>
#include <string>

#include "platform/regstore.h"
#include "settings/random.h"
#include "settings/registry.h"

ModuleParams g_Modules[MODULE_COUNT + 1];
ModuleParams g_ModuleDefaults[MODULE_COUNT + 1];

ModuleView g_View;
float& g_fDepth = g_View.depth;
float& g_fHorz = g_View.horz;
float& g_fVert = g_View.vert;
float& g_fXrot = g_View.xrot;
float& g_fYrot = g_View.yrot;
float& g_fZrot = g_View.zrot;
float& g_fSpeed = g_View.speed;
int g_nModule;
float g_fAnimTime;
bool g_bSoundOn;
int g_nCycleSeconds;
bool g_bNoFrameWarn;

namespace {

constexpr std::int32_t MISSING = -9999;  // read sentinel: a stored -9999 reads as missing too

constexpr ModuleParams COMMON_DEFAULTS = {40.0f, 0.0f, 0.0f, -90.0f, 0.0f, 0.0f, 0.5f, true};

// Rows that differ from the common defaults; 2 and 6 keep them.
struct FactoryRow {
  int module;
  ModuleParams params;
};
constexpr FactoryRow FACTORY_ROWS[] = {
    {1, {50.0f, 0.0f, 0.0f, -90.0f, 0.0f, 0.0f, 0.5f, true}},
    {3, {68.0f, 0.0f, 0.0f, -90.0f, 0.0f, 0.0f, 0.5f, true}},
    {4, {25.0f, 0.0f, -1.25f, 0.0f, 90.0f, 0.0f, 0.5f, true}},
    {5, {22.0f, -6.0f, -4.0f, -157.7f, 208.6f, 0.0f, 0.5f, true}},
    {7, {25.0f, -7.0f, 12.15f, -90.0f, 90.0f, 0.0f, 0.5f, true}},
    {8, {14.0f, 0.0f, 0.0f, -90.0f, 0.0f, 0.0f, 0.5f, true}},
    {9, {30.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.5f, true}},
    {10, {45.0f, 0.0f, 0.0f, -90.0f, 0.0f, 0.0f, 0.3f, true}},
};

// The view's place fields in registry order, with their value-name suffixes (the
// speed is read and written on its own: it is clamped).
struct ViewValue {
  const char* name;
  float ModuleView::*field;
};
constexpr ViewValue VIEW_VALUES[] = {
    {"depth", &ModuleView::depth}, {"horz", &ModuleView::horz}, {"vert", &ModuleView::vert},
    {"xrot", &ModuleView::xrot},   {"yrot", &ModuleView::yrot}, {"zrot", &ModuleView::zrot},
};

bool InRange(int n) { return n >= 1 && n <= MODULE_COUNT; }

// Hundredths, formed in double and truncated toward zero. Views the keys have pushed
// out of the 32-bit range are pinned to its ends instead of overflowing the conversion.
std::int32_t ToHundredths(float value) {
  double h = static_cast<double>(value) * 100.0;
  if (std::isnan(h)) return 0;
  if (h >= 2147483647.0) return 2147483647;
  if (h <= -2147483648.0) return -2147483647 - 1;
  return static_cast<std::int32_t>(h);
}

float FromHundredths(std::int32_t stored) { return static_cast<float>(static_cast<double>(stored) / 100.0); }

void ModuleValueName(char* out, std::size_t size, int n, const char* field) {
  std::snprintf(out, size, "mod%d %s", n, field);
}

// Our values as the store held them when this process last read or wrote them. A save
// writes only what differs, so that values another process stored meanwhile survive.
std::map<std::string, std::int32_t> g_StoredValues;

// True when the store holds the value, a stored -9999 included; it is remembered.
bool ReadStored(const char* name, std::int32_t* value) {
  if (!RegTryReadDword(name, value)) return false;
  g_StoredValues[name] = *value;
  return true;
}

void SaveDword(const char* name, std::int32_t value) {
  auto stored = g_StoredValues.find(name);
  if (stored != g_StoredValues.end() && stored->second == value) return;
  if (RegWriteDword(name, value)) g_StoredValues[name] = value;
}

// A view still at the value read from the store keeps the hundredths it was read
// from: truncating its float again loses one about every other time (2.10 reads back
// as 2.0999999), and rounding instead would turn the factory's 12.15 into 1215, not
// 1214. A changed view is truncated.
void SaveViewValue(const char* name, float value) {
  auto stored = g_StoredValues.find(name);
  if (stored != g_StoredValues.end() && FromHundredths(stored->second) == value) return;
  SaveDword(name, ToHundredths(value));
}

void ReadModule(int n) {
  ModuleParams& row = g_Modules[n];
  char name[32];
  std::int32_t stored;
  for (const ViewValue& v : VIEW_VALUES) {
    ModuleValueName(name, sizeof name, n, v.name);
    if (ReadStored(name, &stored) && stored != MISSING) row.*v.field = FromHundredths(stored);
  }
  ModuleValueName(name, sizeof name, n, "speed");
  if (!ReadStored(name, &stored)) stored = ToHundredths(g_ModuleDefaults[n].speed);
  float speed = FromHundredths(stored);
  if (speed < SPEED_MIN) speed = SPEED_MIN;
  if (speed > SPEED_MAX) speed = SPEED_MAX;
  row.speed = speed;
  ModuleValueName(name, sizeof name, n, "active");
  if (ReadStored(name, &stored) && stored != MISSING) row.active = stored > 0;
}

}  // namespace

void LoadModuleParams(int n) {
  if (InRange(n)) g_View = g_Modules[n];
  g_fAnimTime = 0.0f;
}

void StoreModuleParams(int n) {
  if (InRange(n)) static_cast<ModuleView&>(g_Modules[n]) = g_View;
}

void RestoreModuleDefaults(int n) {
  if (InRange(n)) g_View = g_ModuleDefaults[n];
}

int CountEnabledModules() {
  int count = 0;
  for (int n = 1; n <= MODULE_COUNT; ++n)
    if (g_Modules[n].active) ++count;
  return count;
}

namespace {
// One step in the cyclic order 1..10 (step +1) or 10..1 (step -1).
int NeighbourModule(int n, int step) {
  int next = n + step;
  return InRange(next) ? next : (step > 0 ? 1 : MODULE_COUNT);
}

// The first enabled module from n in the given direction; n itself is tried last,
// so a lone enabled module follows itself.
int FindEnabledModule(int n, int step) {
  int candidate = NeighbourModule(n, step);
  for (int tries = 0; tries <= MODULE_COUNT; ++tries) {
    if (g_Modules[candidate].active) return candidate;
    candidate = NeighbourModule(candidate, step);
  }
  return 0;
}
}  // namespace

int NextEnabledModule(int n) { return FindEnabledModule(n, +1); }
int PrevEnabledModule(int n) { return FindEnabledModule(n, -1); }

void SwitchModule(int n) {
  StoreModuleParams(g_nModule);
  g_nModule = n;
  LoadModuleParams(g_nModule);
}

void DisableFrameWarning(plat::HWND window) {
  SelectRegKey(window, KIRU_KEY);
  RegWriteDword("disable_frame_warn", 1);
  g_bNoFrameWarn = true;
}

void BuildFactoryDefaults() {
  std::memset(g_Modules, 0, sizeof g_Modules);
  for (ModuleParams& row : g_Modules) row = COMMON_DEFAULTS;
  for (const FactoryRow& f : FACTORY_ROWS) g_Modules[f.module] = f.params;
  std::memcpy(g_ModuleDefaults, g_Modules, sizeof g_Modules);
}

void LoadSettings() {
  BuildFactoryDefaults();

  {
    // One locked read and one replace of the hive for the whole load and write-back,
    // which loses nothing of the user's when it fails.
    plat::RegBatch batch(plat::RegLoss::Quiet);
    g_StoredValues.clear();
    // Each value stands alone: one that cannot be read falls back to its own default
    // and takes no other value with it (a store that holds them all reads the same).
    for (int n = 1; n <= MODULE_COUNT; ++n) ReadModule(n);
    std::int32_t stored;
    g_bSoundOn = ReadStored("enable sound", &stored) && stored > 0;
    g_nCycleSeconds = ReadStored("cycle time", &stored) && stored >= 0 ? stored : 15;
    // Writes back what the load changed: missing values, clamped speeds and the like.
    SaveSettings();
  }

  g_nModule = NextEnabledModule(0);
  LoadModuleParams(g_nModule);
  SeedRandom(static_cast<std::uint32_t>(std::time(nullptr)));
}

// Every value in the described order, each written only when it differs from what the
// store held at the load: the saver's close, the dialog's OK and a hack ended by its
// daemon then keep what other processes stored meanwhile.
void SaveSettings() {
  plat::RegBatch batch;
  char name[32];
  for (int n = 1; n <= MODULE_COUNT; ++n) {
    ModuleParams& row = g_Modules[n];
    for (const ViewValue& v : VIEW_VALUES) {
      ModuleValueName(name, sizeof name, n, v.name);
      SaveViewValue(name, row.*v.field);
    }
    ModuleValueName(name, sizeof name, n, "speed");
    SaveViewValue(name, row.speed);
    ModuleValueName(name, sizeof name, n, "active");
    SaveDword(name, row.active ? 1 : 0);
  }
  SaveDword("cycle time", g_nCycleSeconds);
  SaveDword("enable sound", g_bSoundOn ? 1 : 0);
}
