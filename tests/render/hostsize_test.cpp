#include <GL/gl.h>

#include "harness.h"
#include "platform/window.h"

namespace {

class HostSizeTest : public harness::Test {};

TEST_F(HostSizeTest, ResizedSaverWindowTakesTheViewAlongUntilClosed) {
  plat::WindowSpec spec;
  spec.kind = plat::WindowKind::TopLevel;
  spec.width = 160;
  spec.height = 120;
  spec.proc = SaverHandler;
  plat::HWND saver = plat::CreateWindow(spec);
  g_hSaverWnd = saver;
  ASSERT_NE(g_hRC, 0u);

  plat::SendMessage(saver, plat::WM_SIZE, 0, (300 << 16) | 400);
  GLint viewport[4];
  glGetIntegerv(GL_VIEWPORT, viewport);
  EXPECT_EQ(viewport[2], 400);
  EXPECT_EQ(viewport[3], 300);
  GLint mode;
  glGetIntegerv(GL_MATRIX_MODE, &mode);
  EXPECT_EQ(mode, GL_MODELVIEW);  // the modules build their view on the modelview matrix

  // After the close request there is no context to resize.
  plat::SendMessage(saver, plat::WM_CLOSE, 0, 0);
  EXPECT_EQ(g_hRC, 0u);
  plat::SendMessage(saver, plat::WM_SIZE, 0, (50 << 16) | 60);
}

}  // namespace
