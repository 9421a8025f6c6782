#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>

#include "platform/glsurface.h"
#include "platform/queue.h"
#include "platform/window.h"
#include "platform/x11/x11_display.h"
#include "render/glcontext.h"
#include "tests/platform/x11/x11_support.h"

using namespace x11test;

namespace {

class GLSurfaceTest : public testing::Test {
 protected:
  void SetUp() override {
    plat::WindowSpec desc;
    desc.kind = plat::WindowKind::TopLevel;
    desc.title = "GL";
    desc.width = 64;
    desc.height = 48;
    desc.proc = RecordingProc;
    window_ = plat::CreateWindow(desc);
    ASSERT_NE(window_, 0u);
    dc_ = plat::GetGLDC(window_);
    ASSERT_NE(dc_, 0u);
  }
  void TearDown() override {
    plat::ReleaseGLDC(window_, dc_);
    plat::DestroyWindow(window_);
  }
  plat::HWND window_ = 0;
  plat::GLDC dc_ = 0;
};

TEST_F(GLSurfaceTest, ConfigsAreDescribedFieldByField) {
  std::vector<plat::FbConfig> configs = plat::DescribeFbConfigs(dc_);
  ASSERT_GT(configs.size(), 10u);
  for (size_t i = 0; i < configs.size(); ++i) EXPECT_EQ(configs[i].index, static_cast<int>(i) + 1);
  auto usable16 = std::find_if(configs.begin(), configs.end(), [](const plat::FbConfig& c) {
    return c.depthSize == 16 && c.doubleBuffer && c.drawToWindow && c.supportGL && c.rgba &&
           c.bufferSize == 32;
  });
  EXPECT_NE(usable16, configs.end());
  // Some configs draw only off-screen.
  EXPECT_TRUE(std::any_of(configs.begin(), configs.end(),
                          [](const plat::FbConfig& c) { return !c.drawToWindow; }));
  // The virtual server renders with Mesa's software rasteriser.
  EXPECT_TRUE(configs.front().software);
  EXPECT_TRUE(plat::DescribeFbConfigs(0).empty());
}

TEST_F(GLSurfaceTest, SystemChoiceMeetsTheRequest) {
  int index = plat::ChooseFbConfig(dc_, 32, 24);
  ASSERT_GT(index, 0);
  plat::FbConfig chosen = plat::DescribeFbConfigs(dc_)[static_cast<size_t>(index - 1)];
  EXPECT_TRUE(chosen.drawToWindow && chosen.supportGL && chosen.rgba && chosen.doubleBuffer);
  EXPECT_GE(chosen.depthSize, 24);
  EXPECT_EQ(chosen.bufferSize, 32);
  // Nothing that deep: the closest match, as on a 16-bit screen asked for 32 bits.
  for (auto [colour, depth] : {std::pair{64, 24}, std::pair{32, 64}}) {
    int closest = plat::ChooseFbConfig(dc_, colour, depth);
    ASSERT_GT(closest, 0);
    plat::FbConfig c = plat::DescribeFbConfigs(dc_)[static_cast<size_t>(closest - 1)];
    EXPECT_TRUE(c.drawToWindow && c.supportGL && c.rgba && c.doubleBuffer);
    EXPECT_GT(c.depthSize, 0);
  }
}

TEST_F(GLSurfaceTest, ContextClearsAndSwaps) {
  int index = plat::ChooseFbConfig(dc_, 32, 24);
  ASSERT_TRUE(plat::SetFbConfig(dc_, index));
  EXPECT_TRUE(plat::SetFbConfig(dc_, index));       // the same again is fine
  EXPECT_FALSE(plat::SetFbConfig(dc_, index + 1));  // a different one is not: it is permanent
  EXPECT_EQ(plat::GetGLDC(window_), dc_);

  plat::GLRC rc = plat::CreateGLRC(dc_);
  ASSERT_NE(rc, 0u);
  ASSERT_TRUE(plat::MakeCurrent(dc_, rc));
  glClearColor(1.0f, 0.0f, 0.0f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT);
  ASSERT_TRUE(plat::SwapBuffers(dc_));
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
  // What the server shows (the window sits at the origin: there is no window manager).
  std::string shown = Capture("import -window root -crop 1x1+10+10 txt:- 2>/dev/null");
  EXPECT_NE(shown.find("#FFFF00000000"), std::string::npos) << shown;

  GLint viewport[4] = {};
  glGetIntegerv(GL_VIEWPORT, viewport);
  EXPECT_EQ(viewport[2], 64);
  EXPECT_EQ(viewport[3], 48);

  EXPECT_TRUE(plat::MakeCurrent(0, 0));
  EXPECT_TRUE(plat::DeleteGLRC(rc));
  EXPECT_FALSE(plat::DeleteGLRC(rc));
  // The surface outlives its contexts, whatever numbers the desktop gives them:
  // its own count of contexts passes its count of surfaces on the way.
  for (int i = 0; i < 32; ++i) {
    plat::GLRC another = plat::CreateGLRC(dc_);
    EXPECT_NE(another, dc_);
    EXPECT_TRUE(plat::DeleteGLRC(another));
  }
  EXPECT_TRUE(plat::ReleaseGLDC(window_, dc_));
}

// The score's highest-index tie-break must not land on an ARGB visual (transparent
// under a compositor) or a multisampled config.
TEST_F(GLSurfaceTest, ScoredChoiceShowsInAnOrdinaryWindowVisual) {
  int index = PickPixelFormat(dc_, 32, false);
  ASSERT_GT(index, 0);
  plat::FbConfig picked = plat::DescribeFbConfigs(dc_)[static_cast<size_t>(index - 1)];
  EXPECT_EQ(picked.depthSize, 16);
  EXPECT_TRUE(picked.doubleBuffer);
  ASSERT_TRUE(plat::SetFbConfig(dc_, index));
  std::string parent = std::to_string(plat::x11::NativeWindowOf(window_));
  std::string child = Capture("xwininfo -children -id " + parent +
                              " | awk '/child:/ {getline; print $1}'");
  ASSERT_FALSE(child.empty());
  std::string info = Capture("xwininfo -id " + child);
  EXPECT_NE(info.find("Depth: 24"), std::string::npos) << info;
}

TEST_F(GLSurfaceTest, NothingWithoutAConfig) {
  EXPECT_EQ(plat::CreateGLRC(dc_), 0u);
  EXPECT_FALSE(plat::SwapBuffers(dc_));
  EXPECT_FALSE(plat::SetFbConfig(dc_, 0));
  EXPECT_FALSE(plat::SetFbConfig(dc_, 1 << 20));
  EXPECT_EQ(plat::GetGLDC(0), 0u);
  EXPECT_EQ(plat::GetGLDC(plat::GetDesktopWindow()), 0u);
}

// The surface goes with its window; a preview whose host vanished stops quietly.
TEST_F(GLSurfaceTest, SurfaceEndsWithAVanishedHost) {
  HostProcess host;
  ASSERT_TRUE(host.Start("KiruHost", "Display Settings"));
  plat::WindowSpec desc;
  desc.kind = plat::WindowKind::Child;
  desc.nativeParent = host.xid;
  desc.proc = RecordingProc;
  plat::HWND preview = plat::CreateWindow(desc);
  ASSERT_NE(preview, 0u);
  plat::GLDC dc = plat::GetGLDC(preview);
  ASSERT_TRUE(plat::SetFbConfig(dc, plat::ChooseFbConfig(dc, 32, 24)));
  plat::GLRC rc = plat::CreateGLRC(dc);
  ASSERT_TRUE(plat::MakeCurrent(dc, rc));
  glClear(GL_COLOR_BUFFER_BIT);
  ASSERT_TRUE(plat::SwapBuffers(dc));

  g_messages.clear();
  host.Kill();
  ASSERT_TRUE(PumpUntil([] { return Count(plat::WM_DESTROY) == 1; }));
  glClear(GL_COLOR_BUFFER_BIT);  // no context is current any more: a no-op
  EXPECT_FALSE(plat::SwapBuffers(dc));
  EXPECT_TRUE(plat::DeleteGLRC(rc));
}

}  // namespace
