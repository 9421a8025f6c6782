#include <cstdint>

#include "module_fixture.h"
#include "settings/random.h"

namespace {
const double TRACK = 800.0 / 31.0;

double BurstSize(double z) {
  const double u = std::fabs(z) / TRACK;
  return u > 0.7 ? (1 - u) * u / 0.3 : u;
}

Mat BurstObject(const Mat& view, double heading, double z, double a) {
  const double s = BurstSize(z);
  return view.Ry(heading).T(0, 0, 0.4 * z).S(s, s, s).Ry(-heading).T(0, 0, -3).Rz(-a);
}

double Rnd() { return (NextRandom() - 16384) / 16384.0; }
}  // namespace

TEST_F(ModuleTest, Module8FirstFrameIsABurstFromTheCentre) {
  SetView(14, 0, 0, -90, 0, 0, 0.5f);
  Frame(8);
  ASSERT_EQ(drawn.size(), 24u);
  const Mat view = CommonView();
  for (int i : {0, 12}) {
    EXPECT_NEAR(ColumnLength(drawn[i].modelview, 0), 0.0, 1e-6);
    EXPECT_NEAR(drawn[i].modelview[12], 0.0, 1e-6);
    EXPECT_NEAR(drawn[i].modelview[14], -14.0, 1e-6);
  }
  EXPECT_NEAR(g_Objects[8][11].z - 0.02f, 23.655914, 1e-5);
  const double size11 = (1.0 / 12) * (11.0 / 12) / 0.3;  // past 70 %: shrinking
  EXPECT_NEAR(ColumnLength(drawn[11].modelview, 0), size11, 1e-5);
  for (int i = 0; i < 24; ++i) {
    const double heading = (i % 12) * 45 + (i / 12) * 180;
    EXPECT_TRUE(SameMatrix(drawn[i].modelview, BurstObject(view, heading, (i % 12) * TRACK / 12, 0)))
        << i;
    EXPECT_FLOAT_EQ(g_Objects[8][i].heading, heading + 0.075f) << i;
    EXPECT_EQ(g_Objects[8][i].phase, 0.0f);
  }
}

TEST_F(ModuleTest, Module8WrapsToTheOvershoot) {
  Frame(8);
  g_Objects[8][3].z = 25.79f;
  g_Objects[8][4].z = TRACK_LENGTH;
  g_Objects[8][5].z = 25.7f;
  g_fAnimTime = 10.0f;
  Frame(8);
  EXPECT_NEAR(g_Objects[8][3].z, 0.03, 0.0101);
  EXPECT_GT(g_Objects[8][3].z, 0.0f);
  EXPECT_NEAR(g_Objects[8][4].z, 0.04, 0.0101);
  EXPECT_FLOAT_EQ(g_Objects[8][5].z, 25.74f);  // not yet past the end
  EXPECT_TRUE(SameMatrix(drawn[3].modelview,
                         BurstObject(Mat::Identity(), 3 * 45 + 0.15, 25.79f, 10)));
  // The overshoot is taken in single precision: 25.80 advanced by 0.02 is the float
  // 25.8199997, a hundred times which is 2582 in single precision (2581.99997 in
  // double), so 25.82 wraps to 0.02 as intended.
  g_fSpeed = 0.5f;
  g_Objects[8][6].z = 25.80f;
  Frame(8);
  EXPECT_FLOAT_EQ(g_Objects[8][6].z, 0.02f);
}

TEST_F(ModuleTest, Module9DrawsItsRandomValuesInOrderInsideTheBox) {
  for (unsigned seed : {1u, 2u, 12345u, 0xdeadbeefu, 777u}) {
    SCOPED_TRACE(seed);
    SeedRandom(seed);
    g_bFirstUse[9] = true;
    g_fAnimTime = 0.0f;
    Frame(9);
    SeedRandom(seed);
    for (int i = 0; i < 24; ++i) {
      const ModuleObject& o = g_Objects[9][i];
      const double dz = Rnd() * 0.3, dy = Rnd() * 0.3, dx = Rnd() * 0.3, z = Rnd() * 40;
      const double k = (40 + z) / 40 + 1;
      const double x = Rnd() * 15 * k, y = Rnd() * 10 * k;
      EXPECT_EQ(o.phase, 30.0f * i);
      EXPECT_LE(std::fabs(x), 15 * k);
      EXPECT_LE(std::fabs(y), 10 * k);
      EXPECT_LE(std::fabs(z), 40);
      if (i >= 18) {  // never drawn, never moved
        EXPECT_NEAR(o.x, x, 1e-4) << i;
        EXPECT_NEAR(o.y, y, 1e-4) << i;
        EXPECT_NEAR(o.z, z, 1e-4) << i;
        EXPECT_NEAR(o.dz, dz, 1e-6) << i;
        EXPECT_NEAR(o.dy, dy, 1e-6) << i;
        EXPECT_NEAR(o.dx, dx, 1e-6) << i;
      } else {  // inside the box nothing bounced: one step along the first velocity
        EXPECT_NEAR(o.x, x + 0.15 * dx, 1e-4) << i;
        EXPECT_NEAR(o.y, y + 0.15 * dy, 1e-4) << i;
        EXPECT_NEAR(o.z, z + 0.15 * dz, 1e-4) << i;
        EXPECT_TRUE(SameMatrix(drawn[i].modelview,
                               Mat::Identity().T(x, y, z).Rx(-90).T(0, 0, -3).Rz(30 * i)));
      }
    }
    EXPECT_EQ(drawn.size(), 18u);
  }
}

TEST_F(ModuleTest, Module9WallsTurnVelocityBackIntoTheBox) {
  Frame(9);
  for (unsigned seed = 1; seed <= 40; ++seed) {
    SeedRandom(seed);
    const float sign = seed % 2 ? 1.0f : -1.0f;
    ModuleObject& o = g_Objects[9][0];
    o = {sign * 200, sign * 200, sign * 41, sign * 0.3f, sign * 0.3f, sign * 0.3f, 0, 0};
    ModuleObject& edge = g_Objects[9][1];  // exactly on the walls: k = 2 at z = 0
    edge = {30, -20, 0, 0.1f, 0.2f, -0.3f, 0, 0};
    Frame(9);
    EXPECT_LE(sign * o.dx, 0.0f) << seed;
    EXPECT_LE(sign * o.dy, 0.0f) << seed;
    EXPECT_LE(sign * o.dz, 0.0f) << seed;
    EXPECT_GE(std::fabs(o.dx), 0.0f);
    EXPECT_LE(std::fabs(o.dx), 0.3f);
    EXPECT_EQ(edge.dz, 0.1f);
    EXPECT_EQ(edge.dx, 0.2f);
    EXPECT_EQ(edge.dy, -0.3f);
  }
}

// Frame by frame against an independent model of the module, at half speed, with objects beyond
// two or three walls at once: which tests fire, the order in which they draw from
// the generator (x, y, then z), and that nothing else draws from it.
TEST_F(ModuleTest, Module9FollowsItsRulesFrameByFrame) {
  struct Generator {  // the C runtime's rand
    std::uint32_t state;
    float Rnd() {
      state = state * 214013u + 2531011u;
      return static_cast<float>(static_cast<int>((state >> 16) & 0x7FFF) - 16384) / 16384.0f;
    }
  } reference{77};
  struct Swarm {
    float x, y, z, dx, dy, dz;
  } model[18];
  Frame(9);  // first use: the layout
  g_fSpeed = 0.5f;
  for (int i = 0; i < 18; ++i) {
    ModuleObject& o = g_Objects[9][i];
    if (i % 3 == 0) o.x = 100, o.y = -100, o.z = 45;  // beyond three walls
    if (i % 3 == 1) o.x = -100, o.z = -45;            // beyond two
    model[i] = {o.x, o.y, o.z, o.dx, o.dy, o.dz};
  }
  auto wall = [&reference](float position, float limit, float& velocity) {
    if (position > limit) velocity = -std::fabs(reference.Rnd() * 0.3f);
    else if (position < -limit) velocity = std::fabs(reference.Rnd() * 0.3f);
  };
  SeedRandom(77);
  for (int frame = 0; frame < 30; ++frame) {
    Frame(9);
    for (int i = 0; i < 18; ++i) {
      Swarm& m = model[i];
      const float k = (40.0f + m.z) / 40.0f + 1.0f;
      wall(m.x, 15.0f * k, m.dx);
      wall(m.y, 10.0f * k, m.dy);
      wall(m.z, 40.0f, m.dz);
      EXPECT_NEAR(drawn[i].modelview[12], m.x, 1e-3) << frame << " " << i;
      m.x += 0.15f * m.dx * 0.5f;
      m.y += 0.15f * m.dy * 0.5f;
      m.z += 0.15f * m.dz * 0.5f;
      const ModuleObject& o = g_Objects[9][i];
      ASSERT_EQ(o.dx, m.dx) << frame << " " << i;
      ASSERT_EQ(o.dy, m.dy) << frame << " " << i;
      ASSERT_EQ(o.dz, m.dz) << frame << " " << i;
      ASSERT_NEAR(o.x, m.x, 1e-4) << frame << " " << i;
      ASSERT_NEAR(o.y, m.y, 1e-4) << frame << " " << i;
      ASSERT_NEAR(o.z, m.z, 1e-4) << frame << " " << i;
    }
  }
  EXPECT_EQ(NextRandom() - 16384, static_cast<int>(reference.Rnd() * 16384.0f));
}

TEST_F(ModuleTest, Module10SatellitesRideAroundAFlattenedCentre) {
  SetView(45, 0, 0, -90, 0, 0, 0.3f);
  Frame(10);
  g_fAnimTime = 50.0f;
  Frame(10);
  ASSERT_EQ(drawn.size(), 19u);
  const Mat view = CommonView();
  for (int i = 0; i < 18; ++i) {
    const int g = i / 3;
    const double phi = -(120.0 * (i % 3) + 30.0 * (i / 3));
    const Mat centre = view.R(-50.0 / 4 + 60 * g, 0, 0, -1).T(21, 0, 0);
    const Mat want = centre.R(-50 + phi, 0, g % 2 ? -1 : 1, 0).T(0, 0, 4)
                         .Rz(2 * (-50 + 150 * i)).S(0.9, 0.9, 1);
    EXPECT_TRUE(SameMatrix(drawn[i].modelview, want)) << i;
    EXPECT_NEAR(drawn[i].base, 2.4, 1e-6);
    const float* m = drawn[i].modelview;
    EXPECT_NEAR(std::hypot(m[12] - centre.Tx(), m[13] - centre.Ty(), m[14] - centre.Tz()), 4.0, 1e-4);
    EXPECT_NEAR(std::hypot(centre.Tx(), centre.Ty(), centre.Tz() + 45), 21.0, 1e-9);
  }
  const float* c = drawn[18].modelview;
  EXPECT_TRUE(SameMatrix(c, view.Rz(-50.0 / 3).S(0.9, 0.9, 1)));
  EXPECT_NEAR(ColumnLength(c, 0), 0.9, 1e-6);
  EXPECT_NEAR(ColumnLength(c, 1), 0.9, 1e-6);
  EXPECT_NEAR(ColumnLength(c, 2), 1.0, 1e-6);
  EXPECT_NEAR(drawn[18].base, 11.2, 1e-5);
}
