// Quadrics drawn from the prebuilt meshes give the very pixels GLU's tessellation
// gives. Each frame the module draws itself through one path; the quadrics it drew
// are then drawn again, with the same matrices, through the other path, and the two
// pictures must match exactly. The paths swap every frame.
#include <GL/gl.h>
#include <dlfcn.h>
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

constexpr int kWidth = 640, kHeight = 480, kFrames = 300;

std::vector<unsigned char> Picture() {
  glFinish();
  const unsigned char* pixels = plat::headless::OffscreenPixels();
  return {pixels, pixels + static_cast<std::size_t>(kWidth) * kHeight * 4};
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
                count, first % kWidth, first / kWidth, a[first * 4], a[first * 4 + 1], a[first * 4 + 2],
                a[first * 4 + 3], b[first * 4], b[first * 4 + 1], b[first * 4 + 2], b[first * 4 + 3]);
  return text;
}

class MeshIdentity : public ::testing::TestWithParam<int> {
 protected:
  void SetUp() override {
    ASSERT_TRUE(plat::headless::MakeOffscreenContext(kWidth, kHeight));
    ResizeView(kWidth, kHeight);
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

  for (int frame = 0; frame < kFrames; ++frame) {
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

// GLU's own output, caught on its way to GL: the test program exports these entry
// points, so libGLU's calls land here, are noted while recording, and go on to GL.
namespace glu_output {
bool g_bRecording = false;
MeshVertex g_Current{};
std::vector<GLenum> g_Modes;
std::vector<std::vector<MeshVertex>> g_Strips;
template <typename Fn>
Fn Real(const char* name) {
  return reinterpret_cast<Fn>(dlsym(RTLD_NEXT, name));
}
}  // namespace glu_output

extern "C" void glBegin(GLenum mode) {
  static auto real = glu_output::Real<void (*)(GLenum)>("glBegin");
  if (glu_output::g_bRecording) {
    glu_output::g_Modes.push_back(mode);
    glu_output::g_Strips.emplace_back();
  }
  real(mode);
}
extern "C" void glTexCoord2f(GLfloat s, GLfloat t) {
  static auto real = glu_output::Real<void (*)(GLfloat, GLfloat)>("glTexCoord2f");
  glu_output::g_Current.s = s, glu_output::g_Current.t = t;
  real(s, t);
}
extern "C" void glNormal3f(GLfloat x, GLfloat y, GLfloat z) {
  static auto real = glu_output::Real<void (*)(GLfloat, GLfloat, GLfloat)>("glNormal3f");
  glu_output::g_Current.nx = x, glu_output::g_Current.ny = y, glu_output::g_Current.nz = z;
  real(x, y, z);
}
extern "C" void glVertex3f(GLfloat x, GLfloat y, GLfloat z) {
  static auto real = glu_output::Real<void (*)(GLfloat, GLfloat, GLfloat)>("glVertex3f");
  if (glu_output::g_bRecording && !glu_output::g_Strips.empty()) {
    glu_output::g_Current.x = x, glu_output::g_Current.y = y, glu_output::g_Current.z = z;
    glu_output::g_Strips.back().push_back(glu_output::g_Current);
  }
  real(x, y, z);
}

namespace {

// Each mesh holds, bit for bit, the vertices GLU emits for its size, in the
// triangles GL makes of GLU's quad strips: (v0, v1, v3) and (v2, v0, v3) per quad.
TEST(MeshArrays, HoldTheVerticesGluEmits) {
  ASSERT_TRUE(plat::headless::MakeOffscreenContext(64, 64));
  ASSERT_TRUE(InitGLState());
  ASSERT_FALSE(QuadricMeshes().empty());
  g_bQuadricMeshes = false;
  for (const QuadricMesh& mesh : QuadricMeshes()) {
    glu_output::g_Modes.clear();
    glu_output::g_Strips.clear();
    glu_output::g_bRecording = true;
    if (mesh.sphere)
      DrawSphere(mesh.base);
    else
      DrawCylinder(mesh.base, mesh.top, mesh.height);
    glu_output::g_bRecording = false;
    ASSERT_EQ(glu_output::g_Strips.size(), 32u);
    std::vector<MeshVertex> triangles;
    for (std::size_t n = 0; n < glu_output::g_Strips.size(); ++n) {
      const std::vector<MeshVertex>& v = glu_output::g_Strips[n];
      ASSERT_EQ(glu_output::g_Modes[n], static_cast<GLenum>(GL_QUAD_STRIP));
      for (std::size_t k = 0; k + 3 < v.size(); k += 2)
        triangles.insert(triangles.end(), {v[k], v[k + 1], v[k + 3], v[k + 2], v[k], v[k + 3]});
    }
    ASSERT_EQ(mesh.indices.size(), triangles.size()) << mesh.base;
    for (std::size_t i = 0; i < triangles.size(); ++i) {
      const MeshVertex& a = mesh.vertices[mesh.indices[i]];
      const MeshVertex& b = triangles[i];
      ASSERT_EQ(std::memcmp(&a, &b, sizeof a), 0)
          << (mesh.sphere ? "sphere " : "cylinder ") << mesh.base << ", corner " << i << ": mesh ("
          << a.s << " " << a.t << " | " << a.nx << " " << a.ny << " " << a.nz << " | " << a.x << " " << a.y
          << " " << a.z << ") against GLU (" << b.s << " " << b.t << " | " << b.nx << " " << b.ny << " "
          << b.nz << " | " << b.x << " " << b.y << " " << b.z << ")";
    }
  }
  g_bQuadricMeshes = true;
  DestroyGLContext();
}

}  // namespace
