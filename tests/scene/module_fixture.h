// Off-screen context, fresh module state and a recorder of every quadric drawn.
#pragma once
#include <gtest/gtest.h>

#include <GL/gl.h>
#include <GL/glu.h>

#include <cstring>
#include <vector>

#include "matrix.h"
#include "platform/headless/headless_offscreen.h"
#include "render/glcontext.h"
#include "scene/quadric.h"
#include "scene/grid_modules.h"
#include "scene/modules.h"
#include "scene/quadric.h"
#include "scene/skeleton.h"
#include "settings/settings.h"

inline int (*const DRAW[11])() = {nullptr,      DrawModule1, DrawModule2, DrawModule3,
                                   DrawModule4,  DrawModule5, DrawModule6, DrawModule7,
                                   DrawModule8,  DrawModule9, DrawModule10};

class ModuleTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ASSERT_TRUE(plat::headless::MakeOffscreenContext(64, 48));
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(50.0, 64.0 / 48.0, 0.1, 1000.0);
    glMatrixMode(GL_MODELVIEW);
    if (!g_pQuadric) {
      g_pQuadric = gluNewQuadric();
      gluQuadricNormals(g_pQuadric, GLU_SMOOTH);
      gluQuadricTexture(g_pQuadric, GL_TRUE);
    }
  }

  static void TearDownTestSuite() {
    gluDeleteQuadric(g_pQuadric);
    g_pQuadric = nullptr;
  }

  void SetUp() override {
    std::memset(g_Objects, 0, sizeof g_Objects);
    for (bool& f : g_bFirstUse) f = true;
    for (ModuleParams& p : g_Modules) p = {40, 0, 0, -90, 0, 0, 0.5f, true};
    g_fBounce = 0.0f;
    g_bBounceUp = true;
    SetView(0, 0, 0, 0, 0, 0, 1);
    while (glGetError() != GL_NO_ERROR) {
    }
    SetQuadricObserver([this](const QuadricDraw& d) { drawn.push_back(d); });
  }
  void TearDown() override { SetQuadricObserver({}); }

  static void SetView(float depth, float horz, float vert, float xrot, float yrot, float zrot,
                      float speed) {
    g_fDepth = depth, g_fHorz = horz, g_fVert = vert;
    g_fXrot = xrot, g_fYrot = yrot, g_fZrot = zrot, g_fSpeed = speed;
    g_fAnimTime = 0.0f;
  }

  // One frame of module k, with the record of what it drew.
  int Frame(int k) {
    drawn.clear();
    return DRAW[k]();
  }

  // The common view for the working set, built independently.
  static Mat CommonView() {
    return Mat::Identity()
        .T(g_fHorz, g_fVert, -g_fDepth)
        .Rz(g_fZrot)
        .Ry(g_fYrot)
        .Rx(g_fXrot);
  }

  std::vector<QuadricDraw> drawn;
};

inline ::testing::AssertionResult SameMatrix(const float* gl, const Mat& want,
                                             double tolerance = 2e-3) {
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c)
      if (std::fabs(gl[c * 4 + r] - want.m[r][c]) > tolerance)
        return ::testing::AssertionFailure()
               << "element (" << r << "," << c << ") is " << gl[c * 4 + r] << ", expected "
               << want.m[r][c];
  return ::testing::AssertionSuccess();
}
