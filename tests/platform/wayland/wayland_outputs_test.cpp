// Where an output lies on the desktop: xdg-output's logical rectangle where the
// compositor gives one, else wl_output's position and mode, scaled and turned.
#include <gtest/gtest.h>

#include "platform/wayland/wayland_records.h"

namespace {

using plat::RECT;
using plat::wayland::OutputGeometry;

bool Same(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

TEST(OutputsTest, LogicalRectangleWinsOverTheOutputsOwnPosition) {
  OutputGeometry g;
  g.modeWidth = 2048, g.modeHeight = 1536, g.scale = 2;  // sway: 0, 0 for every output
  g.logical = true, g.logicalX = 1280, g.logicalY = -100, g.logicalWidth = 1024, g.logicalHeight = 768;
  EXPECT_TRUE(Same(plat::wayland::OutputRect(g), RECT{1280, -100, 2304, 668}));
  g.logicalWidth = 0;  // no logical size yet
  EXPECT_TRUE(Same(plat::wayland::OutputRect(g), RECT{0, 0, 1024, 768}));
}

TEST(OutputsTest, WithoutXdgOutputTheModeIsScaledAndTurned) {
  OutputGeometry g;
  g.x = 1920, g.modeWidth = 1920, g.modeHeight = 1080, g.transform = WL_OUTPUT_TRANSFORM_90;
  EXPECT_TRUE(Same(plat::wayland::OutputRect(g), RECT{1920, 0, 3000, 1920}));
  g.transform = WL_OUTPUT_TRANSFORM_FLIPPED_180, g.scale = 2;
  EXPECT_TRUE(Same(plat::wayland::OutputRect(g), RECT{1920, 0, 2880, 540}));
}

TEST(OutputsTest, TheSaverWindowSpansEveryOutput) {
  plat::MonitorInfo left, right;
  left.rect = RECT{-1024, 100, 0, 868};
  right.rect = RECT{0, 0, 1280, 720};
  EXPECT_TRUE(Same(plat::wayland::BoundingRect({left, right}), RECT{-1024, 0, 1280, 868}));
  EXPECT_TRUE(Same(plat::wayland::BoundingRect({}), RECT{}));
}

}  // namespace
