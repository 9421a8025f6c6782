#include <GL/gl.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "tests/support/harness.h"
#include "platform/cputime.h"
#include "platform/headless/headless_offscreen.h"
#include "platform/window.h"
#include "render/fpsreadout.h"
#include "scene/modules.h"

namespace {

using harness::g_dwNow;

std::uint64_t g_nCpu;
std::uint64_t Cpu() { return g_nCpu; }

class FpsReadoutTest : public harness::Test {
 protected:
  void SetUp() override {
    harness::Test::SetUp();
    ResetFpsReadoutForTesting();
    g_nCpu = 5000000;
    plat::SetCpuTimeSourceForTesting(Cpu);
  }
  void TearDown() override {
    ResetFpsReadoutForTesting();
    plat::SetCpuTimeSourceForTesting(nullptr);
    harness::Test::TearDown();
  }

  plat::HWND MakeSaver(int width, int height) {
    plat::WindowSpec desc;
    desc.kind = plat::WindowKind::TopLevel;
    desc.width = width;
    desc.height = height;
    desc.proc = SaverHandler;
    plat::HWND window = plat::CreateWindow(desc);
    g_hSaverWnd = window;
    return window;
  }

  static std::vector<unsigned char> Pixels() {
    int w = plat::headless::OffscreenWidth(), h = plat::headless::OffscreenHeight();
    const unsigned char* p = plat::headless::OffscreenPixels();
    return std::vector<unsigned char>(p, p + static_cast<std::size_t>(w) * h * 4);
  }

  struct Box {
    int x, y, w, h;
    bool Holds(int px, int py) const { return px >= x && px < x + w && py >= y && py < y + h; }
  };
  static Box ReadoutBox() {
    Box box;
    FpsReadoutBox(plat::headless::OffscreenWidth(), plat::headless::OffscreenHeight(), &box.x, &box.y,
                  &box.w, &box.h);
    return box;
  }
  // Lit pixels inside and outside the readout's box.
  static void CountLit(const std::vector<unsigned char>& pixels, int* inside, int* outside) {
    int w = plat::headless::OffscreenWidth(), h = plat::headless::OffscreenHeight();
    Box box = ReadoutBox();
    *inside = *outside = 0;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        const unsigned char* p = &pixels[(static_cast<std::size_t>(y) * w + x) * 4];
        if (p[0] + p[1] + p[2] == 0) continue;
        ++(box.Holds(x, y) ? *inside : *outside);
      }
  }
};

TEST_F(FpsReadoutTest, FiguresCoverTheLastSecondOfFramesAndCpu) {
  ASSERT_TRUE(plat::headless::MakeOffscreenContext(64, 48));
  DrawFpsReadout();
  EXPECT_EQ(FpsReadoutText(), "FPS: --  Load: --%");
  for (int i = 0; i < 25; ++i) {  // 25 intervals of 40 ms, 250 ms of CPU: a quarter
    g_dwNow += 40;
    g_nCpu += 10000;
    DrawFpsReadout();
  }
  EXPECT_EQ(FpsReadoutText(), "FPS: 25.0  Load: 25%");
  // A second that is not yet over keeps the figures; the next one renews them.
  for (int i = 0; i < 32; ++i) {
    g_dwNow += 32;
    g_nCpu += 32000;  // one thread busy all the time, and another a quarter
    if (i % 4 == 0) g_nCpu += 32000;
    DrawFpsReadout();
    if (i == 20) {
      EXPECT_EQ(FpsReadoutText(), "FPS: 25.0  Load: 25%");
    }
  }
  EXPECT_EQ(FpsReadoutText(), "FPS: 31.2  Load: 125%");
  glFinish();
  plat::headless::DestroyOffscreenContext();
}

TEST_F(FpsReadoutTest, CornerIsLitOnlyWithTheFlag) {
  plat::HWND saver = MakeSaver(320, 240);
  ASSERT_NE(g_hRC, 0u);
  g_nModule = 0;  // no module: every frame is cleared black

  g_dwNow += 40;
  RenderFrame(saver, SaverFrameCalls());
  int inside, outside;
  CountLit(Pixels(), &inside, &outside);
  EXPECT_EQ(inside, 0);
  EXPECT_EQ(outside, 0);

  g_bShowFps = true;
  g_dwNow += 40;
  RenderFrame(saver, SaverFrameCalls());
  CountLit(Pixels(), &inside, &outside);
  EXPECT_GT(inside, 30);
  EXPECT_EQ(outside, 0);
  EXPECT_EQ(plat::headless::PresentedFrames(), 2);
}

// The readout sits on top of a module's picture: nothing outside its box changes,
// and the state the modules and fades leave for the next frame is as it was.
TEST_F(FpsReadoutTest, LeavesModulePixelsAndGLStateAlone) {
  plat::HWND saver = MakeSaver(320, 240);
  ASSERT_NE(g_hRC, 0u);
  g_nModule = 4;
  LoadModuleParams(4);
  glColor4f(0.5f, 0.5f, 0.5f, 1.0f);  // halfway through a fade
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  ASSERT_EQ(DrawModule4(), 1);
  glFinish();
  std::vector<unsigned char> before = Pixels();

  auto snapshot = [] {
    std::vector<float> s(16 + 16 + 4 + 4);
    glGetFloatv(GL_MODELVIEW_MATRIX, &s[0]);
    glGetFloatv(GL_PROJECTION_MATRIX, &s[16]);
    glGetFloatv(GL_CURRENT_COLOR, &s[32]);
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    for (int i = 0; i < 4; ++i) s[36 + i] = static_cast<float>(viewport[i]);
    GLint mode, align, texture;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &align);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &texture);
    for (GLenum cap : {GL_TEXTURE_2D, GL_ALPHA_TEST, GL_DEPTH_TEST, GL_BLEND, GL_CULL_FACE})
      s.push_back(glIsEnabled(cap) ? 1.0f : 0.0f);
    s.push_back(static_cast<float>(mode));
    s.push_back(static_cast<float>(align));
    s.push_back(static_cast<float>(texture));
    return s;
  };
  std::vector<float> state = snapshot();
  DrawFpsReadout();
  glFinish();
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
  EXPECT_EQ(snapshot(), state);

  std::vector<unsigned char> after = Pixels();
  int w = plat::headless::OffscreenWidth(), h = plat::headless::OffscreenHeight();
  Box box = ReadoutBox();
  int changedInside = 0, changedOutside = 0;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      std::size_t at = (static_cast<std::size_t>(y) * w + x) * 4;
      if (std::memcmp(&before[at], &after[at], 3) != 0) ++(box.Holds(x, y) ? changedInside : changedOutside);
    }
  EXPECT_GT(changedInside, 30);
  EXPECT_EQ(changedOutside, 0);
  (void)saver;
}

TEST(FpsReadoutBoxes, FitAPreviewAndGrowFullScreen) {
  int x, y, w, h, bigX, bigY, bigW, bigH;
  FpsReadoutBox(152, 112, &x, &y, &w, &h);  // the settings tool's preview
  EXPECT_LE(x + w, 152);
  EXPECT_GE(y, 0);
  FpsReadoutBox(1920, 1080, &bigX, &bigY, &bigW, &bigH);
  EXPECT_EQ(bigW, 3 * w);  // glyphs and shadow, three times as large
  EXPECT_GT(bigH, 2 * h);
}

}  // namespace
