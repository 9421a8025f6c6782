// Quadrics drawn from the prebuilt meshes give the very pixels GLU's tessellation
// gives. Each frame the module draws itself through one path; the quadrics it drew
// are then drawn again, with the same matrices, through the other path, and the two
// pictures must match exactly. The paths swap every frame.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/headless/offscreen.h"
#include "render/glcontext.h"
#include "scene/quadric.h"
#include "scene/quadricmesh.h"
#include "scene/skeleton.h"
#include "settings/random.h"
#include "tools/offscreen_scene.h"

namespace {

constexpr int WIDTH = 640, HEIGHT = 480, FRAME_COUNT = 300;

std::vector<unsigned char> Picture() {
  glFinish();
  const unsigned char* pixels = plat::headless::OffscreenPixels();
  return {pixels, pixels + static_cast<std::size_t>(WIDTH) * HEIGHT * 4};
}

// How many pixels differ, and where the first one is.
std::string Differences(const std::vector<unsigned char>& a, const std::vector<unsigned char>& b) {
  int count = 0;
  std::size_t first = 0;
  for (std::size_t p = 0; p < a.size(); p += 4)
    if (std::memcmp(&a[p], &b[p], 4) != 0 && count++ == 0) first = p / 4;
  if (count == 0) return "none";
  char text[160];
  std::snprintf(text, sizeof text, "%d pixels, the first at (%zu, %zu): %02x%02x%02x%02x against %02x%02x%02x%02x",
                count, first % WIDTH, first / WIDTH, a[first * 4], a[first * 4 + 1], a[first * 4 + 2],
                a[first * 4 + 3], b[first * 4], b[first * 4 + 1], b[first * 4 + 2], b[first * 4 + 3]);
  return text;
}

class MeshIdentity : public ::testing::TestWithParam<int> {
 protected:
  void SetUp() override {
    ASSERT_TRUE(plat::headless::MakeOffscreenContext(WIDTH, HEIGHT));
    ResizeView(WIDTH, HEIGHT);
    ASSERT_TRUE(InitGLState());
    std::memset(g_Objects, 0, sizeof g_Objects);
    for (bool& f : g_bFirstUse) f = true;
  }
  void TearDown() override {
    SetQuadricObserver({});
    g_bQuadricMeshes = true;
    DestroyGLContext();
  }
};

TEST_P(MeshIdentity, EveryFrameMatchesGlu) {
  const int module = GetParam();
  LoadFactoryView(module);
  SeedRandom(1);
  std::vector<QuadricDraw> drawn;
  SetQuadricObserver([&](const QuadricDraw& d) { drawn.push_back(d); });

  for (int frame = 0; frame < FRAME_COUNT; ++frame) {
    const bool meshFirst = frame % 2 == 0;
    drawn.clear();
    g_bQuadricMeshes = meshFirst;
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    ASSERT_EQ(DrawModule(module), 1);
    const std::vector<unsigned char> first = Picture();

    SetQuadricObserver({});
    g_bQuadricMeshes = !meshFirst;
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    for (const QuadricDraw& d : drawn) {
      ASSERT_NE(FindQuadricMesh(d.kind == QuadricKind::Sphere, d.base, d.top, d.height), nullptr)
          << "no mesh for a quadric of size " << d.base << ", " << d.top << ", " << d.height;
      glLoadMatrixf(d.modelview);
      if (d.kind == QuadricKind::Sphere)
        DrawSphere(d.base);
      else
        DrawCylinder(d.base, d.top, d.height);
    }
    const std::vector<unsigned char> second = Picture();
    SetQuadricObserver([&](const QuadricDraw& d) { drawn.push_back(d); });

    ASSERT_FALSE(drawn.empty());
    ASSERT_EQ(Differences(first, second), "none")
        << "module " << module << ", frame " << frame << " ("
        << (meshFirst ? "meshes" : "GLU") << " drawn by the module)";
  }
}

INSTANTIATE_TEST_SUITE_P(Modules, MeshIdentity, ::testing::Range(1, MODULE_COUNT + 1));

}  // namespace
