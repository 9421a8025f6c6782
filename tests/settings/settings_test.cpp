#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "platform/regstore.h"
#include "settings/registry.h"
#include "settings/settings.h"
#include "tests/support/private_config.h"

namespace {

// The stored value, or -9999 when the hive does not hold it.
std::int32_t Stored(const std::string& name) { return RegReadDword(name.c_str(), -9999); }

std::string Mod(int n, const char* field) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "mod%d %s", n, field);
  return buf;
}

void EnableOnly(std::initializer_list<int> modules) {
  for (int n = 0; n <= MODULE_COUNT; ++n) g_Modules[n].active = false;
  for (int n : modules) g_Modules[n].active = true;
}

// One run of the saver: load, put the current view back, save, as its close does.
void StartAndClose() {
  LoadSettings();
  StoreModuleParams(g_nModule);
  SaveSettings();
}

class Settings : public ::testing::Test {
 protected:
  void SetUp() override { SelectRegKey(0, KIRU_KEY); }
  kiru_test::PrivateConfig config_;
};

}  // namespace

TEST_F(Settings, FirstRunWritesTheFactorySet) {
  LoadSettings();
  EXPECT_EQ(g_nModule, 1);
  EXPECT_FALSE(g_bSoundOn);
  EXPECT_EQ(g_nCycleSeconds, 15);
  EXPECT_FLOAT_EQ(g_fDepth, 50.0f);
  EXPECT_FLOAT_EQ(g_fXrot, -90.0f);
  EXPECT_EQ(g_fAnimTime, 0.0f);
  EXPECT_EQ(CountEnabledModules(), 10);

  const int depths[] = {0, 50, 40, 68, 25, 22, 40, 25, 14, 30, 45};
  for (int n = 1; n <= MODULE_COUNT; ++n) {
    EXPECT_EQ(Stored(Mod(n, "depth")), depths[n] * 100) << n;
    EXPECT_EQ(Stored(Mod(n, "speed")), n == 10 ? 30 : 50) << n;
    EXPECT_EQ(Stored(Mod(n, "active")), 1) << n;
    EXPECT_EQ(Stored(Mod(n, "zrot")), 0) << n;
  }
  EXPECT_EQ(Stored("mod7 vert"), 1214);
  EXPECT_EQ(Stored("mod5 xrot"), -15769);
  EXPECT_EQ(Stored("mod5 yrot"), 20860);
  EXPECT_EQ(Stored("mod4 vert"), -125);
  EXPECT_EQ(Stored("mod9 xrot"), 0);
  EXPECT_EQ(Stored("cycle time"), 15);
  EXPECT_EQ(Stored("enable sound"), 0);
  EXPECT_EQ(Stored("disable_frame_warn"), -9999);  // never written by the settings
  EXPECT_EQ(plat::RegHive::Parse(kiru_test::ReadFile(config_.UserHive())).Values().size(), 82u);
  EXPECT_NE(kiru_test::ReadFile(config_.UserHive()).find("\"mod5 xrot\"=dword:ffffc267\n"), std::string::npos);

  // The defaults hold the unrounded factory values; the table reads back hundredths.
  EXPECT_FLOAT_EQ(g_ModuleDefaults[7].vert, 12.15f);
  LoadSettings();
  EXPECT_EQ(g_Modules[7].vert, 12.14f);
  EXPECT_EQ(g_Modules[5].xrot, -157.69f);
  EXPECT_EQ(g_Modules[10].speed, 0.3f);
  for (int run = 0; run < 5; ++run) StartAndClose();
  EXPECT_EQ(Stored("mod7 vert"), 1214);
  EXPECT_EQ(Stored("mod5 xrot"), -15769);
}

TEST_F(Settings, StoredValuesSurviveAnyNumberOfRuns) {
  // Every residue of the hundredths around the views' usual range, then values spread
  // over the whole 32-bit range; -9999 reads as missing and is left out.
  std::vector<std::int32_t> views = {210, 1214, 1215, -15769, 20860, -125};
  for (std::int32_t v = -40000; v <= 40000; v += 7) views.push_back(v);
  std::mt19937 rng(2024);
  std::uniform_int_distribution<std::int32_t> any(INT32_MIN, INT32_MAX);
  for (int i = 0; i < 3000; ++i) views.push_back(any(rng));
  views.erase(std::remove(views.begin(), views.end(), -9999), views.end());
  const char* fields[] = {"depth", "horz", "vert", "xrot", "yrot", "zrot"};

  // Sixty views and ten speeds (every stored speed from 0.06 to 10.00 in turn) a round.
  int speed = 6;
  for (std::size_t at = 0; at < views.size(); at += 60) {
    std::vector<std::pair<std::string, std::int32_t>> expect;
    for (int n = 1; n <= MODULE_COUNT; ++n) {
      for (int f = 0; f < 6; ++f) expect.emplace_back(Mod(n, fields[f]), views[(at + (n - 1) * 6 + f) % views.size()]);
      expect.emplace_back(Mod(n, "speed"), speed);
      speed = speed == 1000 ? 6 : speed + 1;
    }
    {
      plat::RegBatch batch;
      for (const auto& [name, value] : expect) RegWriteDword(name.c_str(), value);
    }
    for (int run = 0; run < 3; ++run) StartAndClose();
    plat::RegHive hive = plat::RegHive::Parse(kiru_test::ReadFile(config_.UserHive()));
    for (const auto& [name, value] : expect) {
      plat::RegData data;
      std::int32_t stored = -9999;
      ASSERT_TRUE(hive.Get(std::string("HKEY_CURRENT_USER\\") + KIRU_KEY, name, &data) && data.AsDword(&stored));
      ASSERT_EQ(stored, value) << name;
    }
  }
}

TEST_F(Settings, SessionsEndingTogetherKeepEachOthersChanges) {
  LoadSettings();
  for (int round = 1; round <= 10; ++round) {
    int ready[2], go[2];
    ASSERT_EQ(pipe(ready), 0);
    ASSERT_EQ(pipe(go), 0);
    pid_t sessions[2];
    for (int s = 0; s < 2; ++s) {
      sessions[s] = fork();
      ASSERT_GE(sessions[s], 0);
      if (sessions[s] == 0) {
        LoadSettings();
        char c = 'r';
        if (write(ready[1], &c, 1) != 1 || read(go[0], &c, 1) != 1) _exit(1);
        if (s == 0) {  // a saver whose view was zoomed
          g_fDepth = 100.0f + round;
          StoreModuleParams(g_nModule);
        } else {  // the settings dialog's OK with a new cycle time
          g_nCycleSeconds = 100 + round;
        }
        SaveSettings();
        _exit(0);
      }
    }
    // Both have loaded before either saves.
    char buf[2];
    for (ssize_t got = 0, n; got < 2; got += n) ASSERT_GT(n = read(ready[0], buf, 2 - got), 0);
    ASSERT_EQ(write(go[1], "gg", 2), 2);
    for (pid_t pid : sessions) {
      int status;
      waitpid(pid, &status, 0);
      EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    for (int fd : {ready[0], ready[1], go[0], go[1]}) close(fd);
    EXPECT_EQ(Stored("mod1 depth"), (100 + round) * 100) << round;
    EXPECT_EQ(Stored("cycle time"), 100 + round) << round;
  }
}

TEST_F(Settings, AnUnreadableValueFallsBackAloneAndTakesNoOtherWithIt) {
  // Neither a missing "mod1 depth", nor -9999, nor another type gates any other value.
  for (int variant = 0; variant < 3; ++variant) {
    if (variant == 1) RegWriteDword("mod1 depth", -9999);
    if (variant == 2)
      plat::RegStoreSet(plat::RegRoot::CurrentUser, KIRU_KEY, "mod1 depth", plat::RegData::String("x"));
    RegWriteDword("mod3 active", 0);
    RegWriteDword("mod2 depth", 9900);
    RegWriteDword("mod3 depth", 12345);
    RegWriteDword("mod6 depth", 0x7fffffff);
    RegWriteDword("cycle time", 60);
    LoadSettings();
    EXPECT_FALSE(g_Modules[3].active) << variant;
    EXPECT_FLOAT_EQ(g_Modules[2].depth, 99.0f) << variant;
    EXPECT_FLOAT_EQ(g_Modules[1].depth, 50.0f) << variant;
    EXPECT_EQ(Stored("mod1 depth"), 5000) << variant;
    EXPECT_EQ(Stored("mod3 depth"), 12345) << variant;
    EXPECT_EQ(Stored("mod6 depth"), 0x7fffffff) << variant;
    EXPECT_EQ(g_nCycleSeconds, 60) << variant;
  }
}

TEST_F(Settings, StoredValuesAreNormalisedOnLoad) {
  RegWriteDword("mod1 depth", 5000);
  RegWriteDword("mod2 active", -1);
  RegWriteDword("mod6 xrot", -9999);  // reads as missing: factory -90
  RegWriteDword("cycle time", -3);
  LoadSettings();
  EXPECT_FALSE(g_Modules[2].active);
  EXPECT_EQ(Stored("mod2 active"), 0);
  EXPECT_EQ(Stored("mod6 xrot"), -9000);
  EXPECT_EQ(g_nCycleSeconds, 15);
  EXPECT_EQ(Stored("cycle time"), 15);

  RegWriteDword("cycle time", 0);
  LoadSettings();
  EXPECT_EQ(g_nCycleSeconds, 0);
  EXPECT_EQ(Stored("cycle time"), 0);
  RegWriteDword("cycle time", 100000);
  LoadSettings();
  EXPECT_EQ(g_nCycleSeconds, 100000);

  struct { std::int32_t stored; float speed; std::int32_t written; } cases[] = {
      {2000, 10.0f, 1000}, {3, 0.0625f, 6}, {-5, 0.0625f, 6}, {75, 0.75f, 75}};
  for (auto c : cases) {
    RegWriteDword("mod4 speed", c.stored);
    LoadSettings();
    EXPECT_EQ(g_Modules[4].speed, c.speed) << c.stored;
    EXPECT_EQ(Stored("mod4 speed"), c.written) << c.stored;
  }
  // A missing speed takes the module's factory speed.
  RegWriteDword("mod4 speed", 0);
  {
    std::string text = kiru_test::ReadFile(config_.UserHive());
    text.erase(text.find("\"mod10 speed\""), text.find('\n', text.find("\"mod10 speed\"")) + 1 - text.find("\"mod10 speed\""));
    kiru_test::WriteFile(config_.UserHive(), text);
  }
  LoadSettings();
  EXPECT_EQ(g_Modules[10].speed, 0.3f);
  EXPECT_EQ(g_Modules[4].speed, 0.0625f);
}

TEST_F(Settings, ViewsBeyondTheStoredRangeArePinnedNotOverflowed) {
  LoadSettings();
  g_Modules[1].depth = 3e9f;
  g_Modules[1].horz = -1e30f;
  SaveSettings();
  EXPECT_EQ(Stored("mod1 depth"), INT32_MAX);
  EXPECT_EQ(Stored("mod1 horz"), INT32_MIN);
}

TEST_F(Settings, NextAndPreviousEnabledModule) {
  LoadSettings();
  EXPECT_EQ(NextEnabledModule(0), 1);
  EXPECT_EQ(NextEnabledModule(10), 1);
  EXPECT_EQ(PrevEnabledModule(1), 10);
  EXPECT_EQ(PrevEnabledModule(0), 10);

  EnableOnly({4});
  EXPECT_EQ(NextEnabledModule(4), 4);
  EXPECT_EQ(PrevEnabledModule(4), 4);
  EXPECT_EQ(NextEnabledModule(0), 4);
  EXPECT_EQ(CountEnabledModules(), 1);

  EnableOnly({3, 8});
  EXPECT_EQ(NextEnabledModule(8), 3);
  EXPECT_EQ(PrevEnabledModule(3), 8);
  EXPECT_EQ(NextEnabledModule(0), 3);
  EXPECT_EQ(PrevEnabledModule(0), 8);
  EXPECT_EQ(NextEnabledModule(3), 8);
  EXPECT_EQ(PrevEnabledModule(8), 3);
  // Row 0 never counts, and stray indexes stay inside the table.
  g_Modules[0].active = true;
  EXPECT_EQ(CountEnabledModules(), 2);
  EXPECT_EQ(NextEnabledModule(-7), 3);
  EXPECT_EQ(PrevEnabledModule(42), 8);

  EnableOnly({});
  EXPECT_EQ(NextEnabledModule(0), 0);
  EXPECT_EQ(PrevEnabledModule(5), 0);
  EXPECT_EQ(CountEnabledModules(), 0);
}

TEST_F(Settings, AllModulesDisabledLeavesNoCurrentModule) {
  RegWriteDword("mod1 depth", 5000);
  for (int n = 1; n <= MODULE_COUNT; ++n) RegWriteDword(Mod(n, "active").c_str(), 0);
  g_fDepth = 123.0f;
  g_fAnimTime = 5.0f;
  LoadSettings();
  EXPECT_EQ(g_nModule, 0);
  EXPECT_EQ(g_fDepth, 123.0f);
  EXPECT_EQ(g_fAnimTime, 0.0f);
}

TEST_F(Settings, TableAndWorkingSetMoves) {
  RegWriteDword("mod1 depth", 7000);
  LoadSettings();
  EXPECT_FLOAT_EQ(g_fDepth, 70.0f);

  // Zoom, then Home: the factory view comes back, not the saved one, and only the
  // next store reaches the table.
  g_fDepth = 99.0f;
  g_fSpeed = 2.0f;
  g_fAnimTime = 3.0f;
  RestoreModuleDefaults(1);
  EXPECT_FLOAT_EQ(g_fDepth, 50.0f);
  EXPECT_FLOAT_EQ(g_fSpeed, 0.5f);
  EXPECT_EQ(g_fAnimTime, 3.0f);
  EXPECT_FLOAT_EQ(g_Modules[1].depth, 70.0f);

  g_fHorz = 1.5f;
  g_Modules[1].active = false;
  StoreModuleParams(1);
  EXPECT_FLOAT_EQ(g_Modules[1].depth, 50.0f);
  EXPECT_FLOAT_EQ(g_Modules[1].horz, 1.5f);
  EXPECT_FALSE(g_Modules[1].active);  // the store leaves the switch alone

  // Module 5 had nothing stored: its row is the exact factory view until read back.
  LoadModuleParams(5);
  EXPECT_EQ(g_fXrot, -157.7f);
  EXPECT_EQ(g_fAnimTime, 0.0f);

  // Out of range: only the clock is reset.
  g_fAnimTime = 1.0f;
  LoadModuleParams(0);
  LoadModuleParams(11);
  StoreModuleParams(0);
  RestoreModuleDefaults(11);
  EXPECT_EQ(g_fXrot, -157.7f);
  EXPECT_EQ(g_fAnimTime, 0.0f);
  EXPECT_FLOAT_EQ(g_Modules[0].depth, 40.0f);

  SaveSettings();
  EXPECT_EQ(Stored("mod1 horz"), 150);
  EXPECT_EQ(Stored("mod1 active"), 0);
}
