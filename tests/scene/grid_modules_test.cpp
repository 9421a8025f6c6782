#include "module_fixture.h"

namespace {
// Phases of the wall's objects in degrees, row by row (record (r+1)(c+1)-1 of the rings).
const double PHASE[3][8] = {{0, -120, -240, -30, -150, -270, -60, -180},
                             {-120, -30, -270, -180, -90, -330, -240, -150},
                             {-240, -270, -300, -330, -360, -390, -420, -450}};
const double COLUMN_X[8] = {-18.9, -13.5, -8.1, -2.7, 2.7, 8.1, 13.5, 18.9};

Mat WallObject(int module, const Mat& view, int r, int c, double bounce, double a, double xrot) {
  const double push = (r + c) % 2 == 0 ? bounce : -bounce;
  Mat m = view.T(0, 0, push);
  if (module == 4) return m.T(COLUMN_X[c], 7.2 * (r - 1) - 3, 0).Rx(-90).Rz(-a + PHASE[r][c]);
  return m.T(COLUMN_X[c], 7.2 * (r - 1), 0).Rx(-xrot - 90).Rz(-a + PHASE[r][c]);
}
}  // namespace

TEST_F(ModuleTest, WallsStandInThreeRowsOfEight) {
  for (int k : {4, 7}) {
    SCOPED_TRACE(k);
    SetUp();
    SetView(25, 1, 2, 30, 15, 40, 1);
    Frame(k);
    g_fAnimTime = 33.0f;
    g_fBounce = 2.5f;
    const float xrot = g_fXrot;
    const Mat view = k == 4 ? Mat::Identity().T(1, 2, -25).Rx(xrot).Ry(g_fYrot).Rz(40)
                            : Mat::Identity().T(8, -10, -26).Rz(40).Ry(g_fYrot).Rx(xrot);
    Frame(k);
    ASSERT_EQ(drawn.size(), 24u);
    for (int r = 0; r < 3; ++r)
      for (int c = 0; c < 8; ++c)
        EXPECT_TRUE(SameMatrix(drawn[r * 8 + c].modelview,
                               WallObject(k, view, r, c, 2.5, 33, xrot)))
            << r << "," << c;
    EXPECT_EQ(drawn[0].kind, k == 4 ? QuadricKind::Cylinder : QuadricKind::Sphere);
    EXPECT_EQ(drawn[0].base, 2.0);
  }
}

TEST_F(ModuleTest, Module4TurnsInItsOwnOrder) {
  SetView(25, 0, 0, 30, 0, 40, 1);
  Frame(4);
  g_fBounce = 0.0f;
  Frame(4);
  const Mat own = Mat::Identity().T(0, 0, -25).Rx(30).Rz(40);
  const Mat common = Mat::Identity().T(0, 0, -25).Rz(40).Rx(30);
  const Mat obj = Mat::Identity().T(COLUMN_X[0], -7.2 - 3, 0).Rx(-90).Rz(-1);
  EXPECT_TRUE(SameMatrix(drawn[0].modelview, own * obj));
  EXPECT_FALSE(SameMatrix(drawn[0].modelview, common * obj));
}

TEST_F(ModuleTest, Module7FactoryViewAndItsTumble) {
  SetView(25, -7, 12.15f, -90, 90, 0, 0.5f);
  Frame(7);
  const Mat view = Mat::Identity().T(0, 0.15, -26).Ry(90).Rx(-90);
  EXPECT_TRUE(SameMatrix(drawn[0].modelview, WallObject(7, view, 0, 0, 0, 0, -90)));
  // The working view turns, without limit.
  EXPECT_FLOAT_EQ(g_fXrot, -90.25f);
  EXPECT_FLOAT_EQ(g_fYrot, 89.875f);
  for (int n = 0; n < 100; ++n) Frame(7);
  EXPECT_FLOAT_EQ(g_fXrot, -90.25f - 25.0f);
  EXPECT_FLOAT_EQ(g_fYrot, 89.875f - 12.5f);
}

TEST_F(ModuleTest, BounceClampsAtFiveAndModulesShareTheSwing) {
  // First frame: a flat wall, then even objects move towards +z.
  Frame(4);
  EXPECT_NEAR(drawn[0].modelview[14], drawn[1].modelview[14] - 0.0, 1e-6);
  Frame(4);
  EXPECT_FLOAT_EQ(g_fBounce, 0.04f);

  g_fBounce = 4.99f;
  Frame(4);
  EXPECT_EQ(g_fBounce, 5.0f);
  EXPECT_FALSE(g_bBounceUp);
  Frame(7);  // module 7 continues the same swing downwards
  EXPECT_FLOAT_EQ(g_fBounce, 4.98f);
  EXPECT_FALSE(g_bBounceUp);

  g_fBounce = -4.99f;
  Frame(7);
  EXPECT_EQ(g_fBounce, -5.0f);
  EXPECT_TRUE(g_bBounceUp);
  Frame(4);
  EXPECT_FLOAT_EQ(g_fBounce, -4.98f);

  // Exactly at a limit the swing is not yet turned: the tests are strict. At speed
  // 10 the steps are 0.2, and 4.8 + 0.2 is exactly 5 in single precision.
  g_fSpeed = 10.0f;
  g_fBounce = 4.8f;
  g_bBounceUp = true;
  Frame(4);
  EXPECT_EQ(g_fBounce, 5.0f);
  EXPECT_TRUE(g_bBounceUp);
  g_fBounce = -4.8f;
  g_bBounceUp = false;
  Frame(7);
  EXPECT_EQ(g_fBounce, -5.0f);
  EXPECT_FALSE(g_bBounceUp);

  // One whole swing from -5 to +5 takes 500 / speed frames.
  g_fSpeed = 2.0f;
  g_fBounce = -5.0f;
  g_bBounceUp = true;
  int frames = 0;
  while (g_bBounceUp && frames < 1000) {
    g_fAnimTime = 0.0f;
    Frame(frames % 2 ? 4 : 7);
    ++frames;
  }
  EXPECT_NEAR(frames, 250, 1);
}
