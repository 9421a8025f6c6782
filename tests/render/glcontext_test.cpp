#include <GL/gl.h>

#include <cmath>

#include "tests/support/harness.h"
#include "platform/window.h"
#include "render/views.h"
#include "scene/tga.h"

namespace {

using plat::FbConfig;

FbConfig Driver(int depth, bool doubleBuffer = true) {
  return FbConfig{0, 32, depth, true, doubleBuffer, true, true, false};
}
FbConfig Software(int depth) { return FbConfig{0, 32, depth, true, true, true, true, true}; }

plat::LRESULT Quiet(plat::HWND, plat::UINT, plat::WPARAM, plat::LPARAM) { return 0; }

plat::HWND MakeWindow(int width = 320, int height = 200) {
  plat::WindowSpec desc;
  desc.kind = plat::WindowKind::TopLevel;
  desc.width = width;
  desc.height = height;
  desc.proc = Quiet;
  return plat::CreateWindow(desc);
}

constexpr const char* HARDWARE_TEXT =
    "Your video hardware doesn't appear to support the OpenGL \nhardware acceleration required for this "
    "screen saver.\nCheck the manufacturer's web site to make sure you have\ninstalled the most current "
    "drivers for your video hardware.";

class GLContext : public harness::Test {};

TEST_F(GLContext, ScoresFieldByField) {
  EXPECT_EQ(ScorePixelFormat(Driver(16), 32, false), 1138u);
  EXPECT_EQ(ScorePixelFormat(Driver(24), 32, false), 1130u);
  EXPECT_EQ(ScorePixelFormat(Driver(32, false), 32, false), 1121u);
  EXPECT_EQ(ScorePixelFormat(Driver(12), 32, false), 1026u);  // 9..15 bits add nothing
  EXPECT_EQ(ScorePixelFormat(Software(16), 32, false), 114u);
  EXPECT_EQ(ScorePixelFormat(Software(16), 32, true), 114u);
  EXPECT_EQ(ScorePixelFormat(Driver(16), 32, true), 0u);

  FbConfig c = Driver(24);
  c.bufferSize = 24;
  EXPECT_EQ(ScorePixelFormat(c, 32, false), 0u);
  for (auto spoil : {&FbConfig::rgba, &FbConfig::supportGL, &FbConfig::drawToWindow}) {
    c = Driver(24);
    c.*spoil = false;
    EXPECT_EQ(ScorePixelFormat(c, 32, false), 0u);
  }
  EXPECT_EQ(ScorePixelFormat(Driver(8), 32, false), 0u);
  EXPECT_EQ(ScorePixelFormat(Driver(200), 32, false), 1026u);  // no unsigned wrap into a win
}

TEST_F(GLContext, PicksBestScoreHigherIndexOnTiesElseSystemChoice) {
  plat::HWND window = MakeWindow();
  plat::GLDC dc = plat::GetGLDC(window);

  plat::headless::SetFbConfigsForTesting({Software(16), Driver(24), Driver(16), Driver(24)}, 1);
  EXPECT_EQ(PickPixelFormat(dc, 32, false), 3);  // 16-bit depth beats 24 among driver configs

  plat::headless::SetFbConfigsForTesting({Driver(24), Driver(16), Driver(16), Driver(24)}, 1);
  EXPECT_EQ(PickPixelFormat(dc, 32, false), 3);  // equal best scores: the higher index

  FbConfig shallow = Driver(24);
  shallow.bufferSize = 24;
  plat::headless::SetFbConfigsForTesting({shallow, Driver(4), shallow}, 2);
  EXPECT_EQ(PickPixelFormat(dc, 32, false), 2);  // nothing acceptable: the system's choice

  plat::headless::SetFbConfigsForTesting({Driver(16)}, 0);
  EXPECT_EQ(PickPixelFormat(dc, 32, false), 0);  // no system choice: none, whatever scores
}

TEST_F(GLContext, RefusedConfigGivesWayToTheNextInScoreOrder) {
  // Scores 114, 1130, 1138, 1130: best first, the tie to the higher index, then
  // the system's choice (2) already listed.
  plat::headless::SetFbConfigsForTesting({Software(16), Driver(24), Driver(16), Driver(24)}, 2);
  plat::HWND window = MakeWindow();
  EXPECT_EQ(RankPixelFormats(plat::GetGLDC(window), 32, false), (std::vector<int>{3, 4, 2, 1}));

  plat::headless::GLFailures refuse;
  refuse.refusedConfigs = {3, 4};
  plat::headless::SetGLFailuresForTesting(refuse);
  ASSERT_TRUE(CreateGLContext(MakeWindow(), 32));
  EXPECT_TRUE(harness::g_Boxes.empty());
  EXPECT_EQ(plat::headless::SelectedFbConfig(g_hDC), 2);
  DestroyGLContext();

  refuse.refusedConfigs = {1, 2, 3, 4};
  plat::headless::SetGLFailuresForTesting(refuse);
  EXPECT_FALSE(CreateGLContext(MakeWindow(), 32));
  ASSERT_EQ(harness::g_Boxes.size(), 1u);
  EXPECT_EQ(harness::g_Boxes[0].text, "Can't Set The PixelFormat.");
}

TEST_F(GLContext, CreatesContextWithFixedState) {
  plat::headless::SetFbConfigsForTesting({Driver(24), Driver(16), Software(16)}, 1);
  plat::HWND window = MakeWindow(320, 200);
  ASSERT_TRUE(CreateGLContext(window, 32));
  EXPECT_TRUE(harness::g_Boxes.empty());
  EXPECT_EQ(plat::headless::SelectedFbConfig(g_hDC), 2);
  EXPECT_NE(g_hRC, 0u);
  EXPECT_NE(g_pQuadric, nullptr);

  GLint viewport[4];
  glGetIntegerv(GL_VIEWPORT, viewport);
  EXPECT_EQ(viewport[2], 320);
  EXPECT_EQ(viewport[3], 200);
  GLfloat projection[16];
  glGetFloatv(GL_PROJECTION_MATRIX, projection);
  float f = 1.0f / std::tan(25.0f * 3.14159265f / 180.0f);
  EXPECT_NEAR(projection[5], f, 1e-4);
  EXPECT_NEAR(projection[0], f / (320.0f / 200.0f), 1e-4);
  EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
  EXPECT_TRUE(glIsEnabled(GL_ALPHA_TEST));
  EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
  EXPECT_FALSE(glIsEnabled(GL_BLEND));
  EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
  GLint func;
  glGetIntegerv(GL_DEPTH_FUNC, &func);
  EXPECT_EQ(func, GL_LEQUAL);
  GLint bound = 0;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
  EXPECT_NE(bound, 0);
  EXPECT_EQ(static_cast<GLuint>(bound), g_TextureSlots[0].texture);

  ResizeView(100, 0);  // a zero height is taken as one
  glGetIntegerv(GL_VIEWPORT, viewport);
  EXPECT_EQ(viewport[3], 1);
  glGetFloatv(GL_PROJECTION_MATRIX, projection);
  EXPECT_NEAR(projection[0], f / 100.0f, 1e-5);
}

TEST_F(GLContext, NoSystemChoiceTellsAboutVideoHardware) {
  plat::headless::SetFbConfigsForTesting({Driver(16)}, 0);
  plat::HWND window = MakeWindow();
  EXPECT_FALSE(CreateGLContext(window, 32));
  ASSERT_EQ(harness::g_Boxes.size(), 1u);
  const harness::Box& box = harness::g_Boxes[0];
  EXPECT_EQ(box.owner, 0u);
  EXPECT_EQ(box.text, HARDWARE_TEXT);
  EXPECT_EQ(box.caption, "Kiru Screen Saver Error");
  EXPECT_EQ(box.style, 0x30u);
  EXPECT_FALSE(box.contextHeld);  // released before the user is told
  EXPECT_EQ(g_hDC, 0u);
}

TEST_F(GLContext, EachCreationFailureReleasesThenTells) {
  struct Case {
    plat::headless::GLFailures failures;
    const char* text;
  };
  auto fail = [](bool plat::headless::GLFailures::*field) {
    plat::headless::GLFailures f;
    f.*field = true;
    return f;
  };
  const Case cases[] = {
      {fail(&plat::headless::GLFailures::getDC), "Can't Create A GL Device Context."},
      {fail(&plat::headless::GLFailures::setConfig), "Can't Set The PixelFormat."},
      {fail(&plat::headless::GLFailures::createRC), "Can't Create A GL Rendering Context."},
      {fail(&plat::headless::GLFailures::makeCurrent), "Can't Activate The GL Rendering Context."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    harness::g_Boxes.clear();
    plat::headless::SetGLFailuresForTesting(c.failures);
    EXPECT_FALSE(CreateGLContext(MakeWindow(), 32));
    ASSERT_EQ(harness::g_Boxes.size(), 1u);
    EXPECT_EQ(harness::g_Boxes[0].text, c.text);
    EXPECT_EQ(harness::g_Boxes[0].caption, "ERROR");
    EXPECT_EQ(harness::g_Boxes[0].style, 0x30u);
    EXPECT_EQ(harness::g_Boxes[0].owner, 0u);
    EXPECT_FALSE(harness::g_Boxes[0].contextHeld);
  }
}

TEST_F(GLContext, DestroyReportsEachStepOnceAndTwiceIsQuiet) {
  ASSERT_TRUE(CreateGLContext(MakeWindow(), 32));
  plat::headless::GLFailures failures;
  failures.release = failures.deleteRC = failures.releaseDC = true;
  plat::headless::SetGLFailuresForTesting(failures);
  DestroyGLContext();
  ASSERT_EQ(harness::g_Boxes.size(), 3u);
  EXPECT_EQ(harness::g_Boxes[0].text, "Release Of DC And RC Failed.");
  EXPECT_EQ(harness::g_Boxes[1].text, "Release Rendering Context Failed.");
  EXPECT_EQ(harness::g_Boxes[2].text, "Release Device Context Failed.");
  for (const harness::Box& box : harness::g_Boxes) {
    EXPECT_EQ(box.caption, "SHUTDOWN ERROR");
    EXPECT_EQ(box.style, 0x40u);
    EXPECT_EQ(box.owner, 0u);
  }
  EXPECT_EQ(g_hRC, 0u);
  EXPECT_EQ(g_hDC, 0u);
  DestroyGLContext();
  EXPECT_EQ(harness::g_Boxes.size(), 3u);
}

}  // namespace
