#include <GL/gl.h>

#include <cstring>
#include <vector>

#include "tests/support/harness.h"
#include "platform/monitors.h"
#include "platform/window.h"
#include "render/runstate.h"
#include "render/views.h"
#include "scene/modules.h"
#include "scene/snapshot.h"

namespace {

plat::MonitorInfo Mon(int left, int top, int right, int bottom, bool primary = false) {
  plat::MonitorInfo m;
  m.rect = m.work = plat::RECT{left, top, right, bottom};
  m.primary = primary;
  return m;
}

TEST(Views, OnePerMonitorOnItsVisiblePartPrimaryFirstRowsFromTheBottom) {
  struct Case {
    const char* what;
    std::vector<plat::MonitorInfo> monitors;
    plat::RECT window;
    std::vector<View> views;
  };
  const Case cases[] = {
      {"one monitor", {Mon(0, 0, 1024, 768, true)}, {0, 0, 1024, 768}, {{0, 0, 1024, 768}}},
      {"1920x1080 beside 1280x1024: 56 rows under the second stay dark",
       {Mon(0, 0, 1920, 1080, true), Mon(1920, 0, 3200, 1024)},
       {0, 0, 3200, 1080},
       {{0, 0, 1920, 1080}, {1920, 56, 1280, 1024}}},
      {"nothing marked: the monitor at the origin comes first",
       {Mon(1920, 0, 3200, 1024), Mon(0, 0, 1920, 1080)},
       {0, 0, 3200, 1080},
       {{0, 0, 1920, 1080}, {1920, 56, 1280, 1024}}},
      {"virtual screen with a monitor left of the primary",
       {Mon(0, 0, 1920, 1080, true), Mon(-1280, 0, 0, 1024)},
       {-1280, 0, 1920, 1080},
       {{1280, 0, 1920, 1080}, {0, 56, 1280, 1024}}},
      {"a monitor above the primary",
       {Mon(0, 0, 800, 600, true), Mon(0, -600, 800, 0)},
       {0, -600, 800, 600},
       {{0, 0, 800, 600}, {0, 600, 800, 600}}},
      {"mirrored monitors are one view", {Mon(0, 0, 800, 600), Mon(0, 0, 800, 600)}, {0, 0, 800, 600},
       {{0, 0, 800, 600}}},
      {"a clone at a lower resolution shows the larger one's corner",
       {Mon(0, 0, 1280, 1024), Mon(0, 0, 1920, 1080, true)},
       {0, 0, 1920, 1080},
       {{0, 0, 1920, 1080}}},
      {"a window inside one monitor is one view",
       {Mon(0, 0, 1920, 1080, true), Mon(1920, 0, 3200, 1024)},
       {1950, 100, 2102, 212},
       {{0, 0, 152, 112}}},
      {"a monitor partly off the screen: a view on the part it shows",
       {Mon(0, 0, 1280, 1024, true), Mon(1280, 500, 2560, 1524)},
       {0, 0, 1920, 1080},
       {{0, 56, 1280, 1024}, {1280, 0, 640, 580}}},
      {"a monitor larger than the screen", {Mon(0, 0, 1920, 1080)}, {0, 0, 1120, 800}, {{0, 0, 1120, 800}}},
      {"a hosted window over the second monitor only",
       {Mon(0, 0, 1920, 1080, true), Mon(1920, 0, 3200, 1024)},
       {1920, 0, 3200, 1024},
       {{0, 0, 1280, 1024}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<View> views = LayOutViews(c.monitors, c.window);
    ASSERT_EQ(views.size(), c.views.size());
    for (size_t i = 0; i < views.size(); ++i) {
      EXPECT_EQ(views[i].x, c.views[i].x) << i;
      EXPECT_EQ(views[i].y, c.views[i].y) << i;
      EXPECT_EQ(views[i].width, c.views[i].width) << i;
      EXPECT_EQ(views[i].height, c.views[i].height) << i;
    }
  }
}

TEST(Views, DialogsOnThePrimaryAndTheSettingsOnThePointersMonitor) {
  std::vector<plat::MonitorInfo> desk = {Mon(-1280, 0, 0, 1024), Mon(0, 0, 1920, 1080, true)};
  EXPECT_EQ(plat::PrimaryMonitor(desk), 1);
  desk[1].primary = false;
  EXPECT_EQ(plat::PrimaryMonitor(desk), 1);  // none marked: the one holding 0, 0
  EXPECT_EQ(plat::PrimaryMonitor({}), -1);
  EXPECT_EQ(plat::MonitorAt(desk, plat::POINT{-10, 500}), 0);
  EXPECT_EQ(plat::MonitorAt(desk, plat::POINT{5000, 5000}), 1);  // off every monitor: the primary

  plat::RECT box = plat::CentreIn(desk[0].rect, 400, 300);  // (1280 - 400) / 2 = 440 in from -1280
  EXPECT_EQ(box.left, -840);
  EXPECT_EQ(box.top, 362);
  EXPECT_EQ(box.right, -440);
  EXPECT_EQ(box.bottom, 662);
  // Sticking out past the lower right corner (0, 1024), and larger than the monitor.
  box = plat::KeepInside(plat::RECT{-100, 900, 300, 1200}, desk[0].rect);
  EXPECT_EQ(box.left, -400);
  EXPECT_EQ(box.top, 724);
  box = plat::KeepInside(plat::RECT{0, 0, 2000, 1200}, desk[0].rect);
  EXPECT_EQ(box.left, -2000);  // its lower right part shows
  EXPECT_EQ(box.top, -176);
}

plat::LRESULT Quiet(plat::HWND, plat::UINT, plat::WPARAM, plat::LPARAM) { return 0; }

class ViewFrames : public harness::Test {
 protected:
  // A full-screen window over a 320 x 100 desktop.
  void Open(std::vector<plat::MonitorInfo> monitors) {
    g_bFullScreen = true;
    plat::headless::SetDesktopSizeForTesting(320, 100);
    plat::headless::SetMonitorsForTesting(std::move(monitors));
    plat::WindowSpec desc;
    desc.kind = plat::WindowKind::FullScreen;
    desc.proc = Quiet;
    ASSERT_TRUE(CreateGLContext(plat::CreateWindow(desc), 32));
  }
  std::vector<unsigned char> Pixels() {
    std::vector<unsigned char> rgba(320 * 100 * 4);
    glReadPixels(0, 0, 320, 100, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    return rgba;
  }
};

// Two equal monitors show the same moment: the halves match pixel for pixel, and
// the module moves on exactly as far as with one view.
TEST_F(ViewFrames, EqualMonitorsShowTheSameMomentAndTheModuleAdvancesOnce) {
  for (int n = 1; n <= MODULE_COUNT; ++n) {
    SCOPED_TRACE(n);
    harness::SetModules({n}, n);
    ModuleSnapshot start = TakeModuleSnapshot(n);
    Open({Mon(0, 0, 320, 100, true)});
    for (int frame = 0; frame < 3; ++frame) DrawModuleInViews(n);
    ModuleSnapshot single = TakeModuleSnapshot(n);
    DestroyGLContext();

    RestoreModuleSnapshot(start);
    Open({Mon(0, 0, 160, 100, true), Mon(160, 0, 320, 100)});
    for (int frame = 0; frame < 3; ++frame) ASSERT_EQ(DrawModuleInViews(n), 1);
    ModuleSnapshot split = TakeModuleSnapshot(n);
    EXPECT_EQ(split.animTime, single.animTime);
    EXPECT_EQ(split.view.xrot, single.view.xrot);  // module 7 turns its own view
    EXPECT_EQ(split.random, single.random);
    EXPECT_EQ(0, std::memcmp(split.objects, single.objects, sizeof split.objects));

    std::vector<unsigned char> rgba = Pixels();
    int lit = 0, differ = 0;
    for (int y = 0; y < 100; ++y)
      for (int x = 0; x < 160; ++x) {
        const unsigned char* left = &rgba[static_cast<size_t>((y * 320 + x) * 4)];
        const unsigned char* right = left + 160 * 4;
        lit += left[0] + left[1] + left[2] > 0;
        differ += std::memcmp(left, right, 3) != 0;
      }
    EXPECT_GT(lit, 0);
    // The rasteriser snaps edges a little differently 160 pixels further right.
    EXPECT_LE(differ * 20, lit) << differ << " of " << lit;
    DestroyGLContext();
  }
}

// Two monitors joined into one of the same total size: the picture fills the window again.
TEST_F(ViewFrames, MonitorsJoinedWithoutAResizeGiveTheWholeWindowBack) {
  harness::SetModules({1}, 1);
  Open({Mon(0, 0, 160, 100, true), Mon(160, 0, 320, 100)});
  DrawModuleInViews(1);
  plat::headless::SetMonitorsForTesting({Mon(0, 0, 320, 100, true)});
  InvalidateViews();
  DrawModuleInViews(1);
  GLint viewport[4];
  glGetIntegerv(GL_VIEWPORT, viewport);
  EXPECT_EQ(viewport[2], 320);
  EXPECT_EQ(viewport[3], 100);
  DestroyGLContext();
}

}  // namespace
