#include <gtest/gtest.h>

#include <GL/gl.h>

#include "platform/headless/headless_offscreen.h"

TEST(Offscreen, ClearsAndReadsBack) {
  ASSERT_TRUE(plat::headless::MakeOffscreenContext(8, 4));
  glClearColor(1, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  glFinish();
  const unsigned char* p = plat::headless::OffscreenPixels();
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p[0], 255);
  EXPECT_EQ(p[1], 0);
  EXPECT_EQ(p[4 * 8 * 4 - 1], 255);
  plat::headless::DestroyOffscreenContext();
}
