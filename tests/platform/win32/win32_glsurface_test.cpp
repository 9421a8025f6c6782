// WGL through the same choice as on Linux: the pixel formats described for the
// score, the context made on a window's own device context, and a frame drawn.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include "platform/glsurface.h"
#include "platform/window.h"
#include "render/glcontext.h"
#include "platform/windows/windows_winapi.h"

namespace {

plat::LRESULT Plain(plat::HWND window, UINT message, plat::WPARAM wParam, plat::LPARAM lParam) {
  return plat::DefWindowProc(window, message, wParam, lParam);
}

class GLSurfaceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    plat::WindowSpec desc;
    desc.kind = plat::WindowKind::TopLevel;
    desc.className = "WindowsScreenSaverClass";
    desc.title = "gl";
    desc.width = 64;
    desc.height = 48;
    desc.proc = Plain;
    window_ = plat::CreateWindow(desc);
    ASSERT_NE(window_, 0u);
  }
  void TearDown() override {
    DestroyGLContext();
    plat::DestroyWindow(window_);
  }
  plat::HWND window_ = 0;
};

TEST_F(GLSurfaceTest, FormatsAreDescribedAndTheScoredOneIsAWindowFormat) {
  plat::GLDC dc = plat::GetGLDC(window_);
  ASSERT_NE(dc, 0u);
  std::vector<plat::FbConfig> configs = plat::DescribeFbConfigs(dc);
  ASSERT_FALSE(configs.empty());
  for (std::size_t i = 0; i < configs.size(); ++i) EXPECT_EQ(configs[i].index, static_cast<int>(i + 1));
  int chosen = PickPixelFormat(dc, 32, false);
  ASSERT_GT(chosen, 0);
  const plat::FbConfig& c = configs[static_cast<std::size_t>(chosen - 1)];
  EXPECT_GT(ScorePixelFormat(c, 32, false), 0u);
  EXPECT_TRUE(c.drawToWindow && c.supportGL && c.rgba);
  EXPECT_EQ(c.bufferSize, 32);
  EXPECT_GT(c.depthSize, 8);
  // Nothing scores higher than what was picked.
  for (const plat::FbConfig& other : configs) EXPECT_LE(ScorePixelFormat(other, 32, false), ScorePixelFormat(c, 32, false));
  EXPECT_TRUE(plat::ReleaseGLDC(window_, dc));
}

TEST_F(GLSurfaceTest, ContextOnTheWindowDrawsAFrame) {
  ASSERT_TRUE(CreateGLContext(window_, 32));  // also loads texture 107 from the resources
  glClearColor(1.0f, 0.0f, 0.0f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT);
  glFinish();
  unsigned char pixel[4] = {};
  glReadPixels(10, 10, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
  EXPECT_EQ(pixel[0], 255);
  EXPECT_EQ(pixel[1], 0);
  EXPECT_TRUE(plat::SwapBuffers(g_hDC));
  DestroyGLContext();
  EXPECT_EQ(g_hRC, 0u);
  EXPECT_EQ(g_hDC, 0u);
}

}  // namespace
