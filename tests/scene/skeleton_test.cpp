#include "module_fixture.h"
#include "settings/random.h"

TEST(Random, KnownSequenceForSeedOne) {
  SeedRandom(1);
  const int expected[] = {41, 18467, 6334, 26500, 19169};
  for (int want : expected) EXPECT_EQ(NextRandom(), want);
}

TEST_F(ModuleTest, RingLayoutStartsEightRingsOfThree) {
  ModuleObject table[MODULE_OBJECTS];
  std::memset(table, 0x55, sizeof table);
  RingLayout(table);
  const double starts[8] = {-25.806452, -19.354839, -12.903226, -6.451613,
                            0.0,        6.451613,   12.903226,  19.354839};
  for (int i = 0; i < 24; ++i) {
    const int ring = i / 3, slot = i % 3;
    EXPECT_FLOAT_EQ(table[i].phase, -(120.0f * slot + 30.0f * ring)) << i;
    EXPECT_NEAR(table[i].z, starts[ring], 1e-5) << i;
    EXPECT_EQ(table[i].x, 0.0f);
    EXPECT_EQ(table[i].heading, 0.0f);
  }
  for (int i = 24; i < MODULE_OBJECTS; ++i) {
    EXPECT_EQ(table[i].phase, 0.0f);
    EXPECT_EQ(table[i].z, 0.0f);
  }
}

TEST_F(ModuleTest, DisabledModuleOnlyClearsAndReportsSuccess) {
  for (int k = 1; k <= 10; ++k) {
    g_Modules[k].active = false;
    g_fAnimTime = 7.0f;
    glClearColor(1, 0, 0, 1);
    EXPECT_EQ(Frame(k), 1) << k;
    glFinish();
    EXPECT_EQ(plat::headless::OffscreenPixels()[0], 255) << "cleared, module " << k;
    EXPECT_TRUE(drawn.empty()) << k;
    EXPECT_EQ(g_fAnimTime, 7.0f) << k;
    EXPECT_TRUE(g_bFirstUse[k]) << k;
    EXPECT_EQ(g_Objects[k][0].phase, 0.0f) << k;
  }
  glClearColor(0, 0, 0, 0);
  EXPECT_EQ(g_fBounce, 0.0f);
  EXPECT_EQ(g_fXrot, 0.0f);
}

TEST_F(ModuleTest, FirstEnabledFrameInitialisesAndDraws) {
  ASSERT_EQ(Frame(2), 1);
  EXPECT_FALSE(g_bFirstUse[2]);
  EXPECT_EQ(drawn.size(), 25u);
  EXPECT_EQ(g_Objects[2][3].phase, -30.0f);
}

TEST_F(ModuleTest, ClockWrapsOnlyStrictlyAbove5000000) {
  g_fAnimTime = 5000000.5f;
  Frame(5);
  EXPECT_FLOAT_EQ(g_fAnimTime, 1.5f);
  g_fAnimTime = 5000000.0f;
  Frame(5);
  EXPECT_FLOAT_EQ(g_fAnimTime, 5000001.0f);
}

TEST_F(ModuleTest, EveryModuleAdvancesTheClockBySpeed) {
  const float perFrame[11] = {0, 1, 1, 1, 1, 1, 1, 1, 1, 0.65f, 1};
  for (int k = 1; k <= 10; ++k) {
    g_fSpeed = 2.0f;
    g_fAnimTime = 0.0f;
    EXPECT_EQ(Frame(k), 1) << k;
    EXPECT_FLOAT_EQ(g_fAnimTime, perFrame[k] * 2.0f) << k;
  }
}

// Through the dispatcher, 1 to 10 are the modules' own routines (the same quadrics
// in the same places); anything else only clears.
TEST_F(ModuleTest, DispatcherDrawsModulesOneToTenAndOtherwiseOnlyClears) {
  const size_t counts[11] = {0, 25, 25, 25, 24, 25, 25, 24, 24, 18, 19};
  auto firstFrame = [this](int k, bool dispatched) {
    SetUp();  // fresh objects, view and clock
    drawn.clear();
    SeedRandom(5);
    EXPECT_EQ(dispatched ? DrawModule(k) : DRAW[k](), 1) << k;
    return drawn;
  };
  for (int k = 1; k <= 10; ++k) {
    std::vector<QuadricDraw> own = firstFrame(k, false), dispatched = firstFrame(k, true);
    EXPECT_EQ(own.size(), counts[k]) << k;
    ASSERT_EQ(dispatched.size(), own.size()) << k;
    for (size_t i = 0; i < own.size(); ++i) {
      EXPECT_EQ(dispatched[i].kind, own[i].kind) << k;
      EXPECT_EQ(std::memcmp(dispatched[i].modelview, own[i].modelview, sizeof own[i].modelview), 0)
          << "module " << k << ", quadric " << i;
    }
  }
  for (int k : {0, 11, -1}) {
    drawn.clear();
    glClearColor(1, 0, 0, 1);
    EXPECT_EQ(DrawModule(k), 1) << k;
    glFinish();
    EXPECT_EQ(plat::headless::OffscreenPixels()[0], 255) << "cleared, " << k;
    EXPECT_TRUE(drawn.empty()) << k;
  }
  glClearColor(0, 0, 0, 0);
}

TEST_F(ModuleTest, GlErrorSuppressesTheFrameButMotionGoesOn) {
  Frame(2);
  const float z = g_Objects[2][5].z;
  SetQuadricObserver([](const QuadricDraw&) { glEnable(0); });
  EXPECT_EQ(Frame(2), 0);
  EXPECT_FLOAT_EQ(g_Objects[2][5].z, z + 0.05f);
  EXPECT_EQ(glGetError(), GL_NO_ERROR);
}

TEST_F(ModuleTest, SwitchingBackKeepsObjectsAndRestartsClock) {
  for (int n = 0; n < 10; ++n) Frame(5);
  const float z = g_Objects[5][0].z;
  g_fAnimTime = 0.0f;  // as loading another module's view does
  Frame(2);
  g_fAnimTime = 0.0f;
  Frame(5);
  EXPECT_FALSE(g_bFirstUse[5]);
  EXPECT_FLOAT_EQ(g_Objects[5][0].z, z + 0.05f);
  // The central sphere spins by -A / 3 with A back at 0.
  EXPECT_TRUE(SameMatrix(drawn.back().modelview, Mat::Identity()));
}
