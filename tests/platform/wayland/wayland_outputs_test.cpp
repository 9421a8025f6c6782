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

// A fullscreen window configured at another output's size asks for its own
// again (mutter moves it back); one that a compositor sizes to the whole layout
// however often it asks (cage) asks six times in a row, twice what mutter took.
TEST(OutputsTest, AWindowSizedOtherwiseAsksForItsOutputAFewTimesInARow) {
  const RECT output{1280, 0, 2080, 600};
  int asked = 0, asks = 0;
  for (int i = 0; i < 20; ++i) asks += plat::wayland::AskAgainToStay(asked, 2080, 720, output);
  EXPECT_EQ(asks, 6);
  EXPECT_FALSE(plat::wayland::AskAgainToStay(asked, 800, 600, output));  // back on it
  EXPECT_TRUE(plat::wayland::AskAgainToStay(asked, 1280, 720, output));  // moved off again: asks anew
  EXPECT_FALSE(plat::wayland::AskAgainToStay(asked, 800, 600, output));
}

}  // namespace

namespace {

using plat::wayland::DesktopScale;
using plat::wayland::FitCentred;
using plat::wayland::PixelRect;
using plat::wayland::ScaledLength;

// Scales in 120ths: 180 is 1.5.
TEST(ScaleTest, LengthsRoundHalfAwayFromZero) {
  EXPECT_EQ(ScaledLength(1707, 180), 2561);  // 2560.5
  EXPECT_EQ(ScaledLength(1280, 240), 2560);
  EXPECT_EQ(ScaledLength(-1, 180), -2);      // an output left of the origin
  EXPECT_EQ(ScaledLength(1000, 150), 1250);
  EXPECT_EQ(DesktopScale({}), 120);
  EXPECT_EQ(DesktopScale({180, 240, 120}), 240);
  EXPECT_EQ(DesktopScale({90}), 120);  // below 1: outputs keep their logical places
}

// A scale-2 output of 640x360 logical at the origin and a scale-1 one of
// 1024x768 at 1280, 0 (sway's places are logical): each as many pixels as it
// shows, placed at twice its logical place.
TEST(ScaleTest, EachOutputIsItsOwnPixelsAtItsPlaceAtTheLargestScale) {
  EXPECT_TRUE(Same(PixelRect(RECT{0, 0, 640, 360}, 240, 240), RECT{0, 0, 1280, 720}));
  EXPECT_TRUE(Same(PixelRect(RECT{1280, 0, 2304, 768}, 240, 120), RECT{2560, 0, 3584, 768}));
  // Side by side at the same logical edge: the smaller scale leaves a strip, never an overlap.
  RECT left = PixelRect(RECT{0, 0, 1000, 500}, 240, 120), right = PixelRect(RECT{1000, 0, 2000, 500}, 240, 240);
  EXPECT_TRUE(Same(left, RECT{0, 0, 1000, 500}));
  EXPECT_TRUE(Same(right, RECT{2000, 0, 4000, 1000}));
  EXPECT_TRUE(Same(PixelRect(RECT{-1024, 0, 0, 768}, 180, 180), RECT{-1536, 0, 0, 1152}));
}

TEST(ScaleTest, APictureOfAnotherAspectIsCentredWholeNeverStretched) {
  // cage sizes a window to the whole layout: a 16:9 output's view in a 2304x768 window.
  EXPECT_TRUE(Same(FitCentred(1280, 720, 2304, 768), RECT{469, 0, 1834, 768}));  // 768 * 16 / 9 = 1365.3
  // A 4:3 output's view in a window sized to a 16:9 output.
  EXPECT_TRUE(Same(FitCentred(1024, 768, 1280, 720), RECT{160, 0, 1120, 720}));
  EXPECT_TRUE(Same(FitCentred(1280, 720, 1280, 1024), RECT{0, 152, 1280, 872}));
  EXPECT_TRUE(Same(FitCentred(2560, 1440, 1280, 720), RECT{0, 0, 1280, 720}));  // same aspect: all of it
  EXPECT_TRUE(Same(FitCentred(0, 0, 800, 600), RECT{0, 0, 800, 600}));
}

}  // namespace
