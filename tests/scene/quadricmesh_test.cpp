// Quadrics drawn from the prebuilt meshes against GLU's tessellation. Each frame the
// module draws itself through the meshes, which leave out the triangles that cannot
// show; the quadrics it drew are then drawn again, with the same matrices, through
// GLU. Only numerical strays may differ (slivers seen edge-on whose interpolated
// texture coordinates leave their corners' range): single pixels, none touching
// another, a handful a frame. Every tenth frame the whole meshes, nothing left out,
// must give GLU's very pixels. A second test samples the uploaded texture itself to
// check what was left out and what was kept.
#include <GL/gl.h>
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "platform/headless/headless_offscreen.h"
#include "render/glcontext.h"
#include "render/views.h"
#include "scene/quadric.h"
#include "scene/quadricmesh.h"
#include "scene/skeleton.h"
#include "settings/random.h"
#include "tools/offscreen_scene.h"

namespace {

constexpr int WIDTH = 640, HEIGHT = 480, FRAME_COUNT = 300;
constexpr int MOST_STRAYS = 30;  // a frame's differing pixels: 0.01 % of 640 x 480
constexpr int WHOLE_MESH_EVERY = 10;

using Picture = std::vector<unsigned char>;

Picture Read() {
  glFinish();
  const unsigned char* pixels = plat::headless::OffscreenPixels();
  return {pixels, pixels + static_cast<std::size_t>(WIDTH) * HEIGHT * 4};
}

bool Differs(const Picture& a, const Picture& b, int x, int y) {
  const std::size_t p = (static_cast<std::size_t>(y) * WIDTH + x) * 4;
  return std::memcmp(&a[p], &b[p], 4) != 0;
}

struct Strays {
  int count = 0;
  std::string touching;  // where two differing pixels meet, if they do
};

// Differing pixels, and whether any has a differing neighbour (sides or corners).
Strays Compare(const Picture& a, const Picture& b) {
  Strays out;
  for (int y = 0; y < HEIGHT; ++y)
    for (int x = 0; x < WIDTH; ++x) {
      if (!Differs(a, b, x, y)) continue;
      ++out.count;
      for (int dy = 0; dy <= 1 && out.touching.empty(); ++dy)
        for (int dx = -1; dx <= 1; ++dx) {
          if (dy == 0 && dx <= 0) continue;  // each pair once: look right and down
          const int nx = x + dx, ny = y + dy;
          if (nx >= 0 && nx < WIDTH && ny < HEIGHT && Differs(a, b, nx, ny)) {
            out.touching = "(" + std::to_string(x) + ", " + std::to_string(y) + ") and (" +
                           std::to_string(nx) + ", " + std::to_string(ny) + ")";
            break;
          }
        }
    }
  return out;
}

class MeshPicture : public ::testing::TestWithParam<int> {
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

  // The mesh of a quadric with every triangle, built on first need.
  const QuadricMesh& Whole(const QuadricDraw& d) {
    const bool sphere = d.kind == QuadricKind::Sphere;
    auto key = std::make_tuple(sphere, d.base, d.top, d.height);
    auto it = whole_.find(key);
    if (it == whole_.end()) it = whole_.emplace(key, BuildQuadricMesh(sphere, d.base, d.top, d.height, -1)).first;
    return it->second;
  }

  std::map<std::tuple<bool, double, double, double>, QuadricMesh> whole_;
};

TEST_P(MeshPicture, LeftOutTrianglesChangeOnlyStrayPixels) {
  const int module = GetParam();
  LoadFactoryView(module);
  SeedRandom(1);
  std::vector<QuadricDraw> drawn;
  int worst = 0, worstFrame = 0;

  for (int frame = 0; frame < FRAME_COUNT; ++frame) {
    drawn.clear();
    SetQuadricObserver([&](const QuadricDraw& d) { drawn.push_back(d); });
    g_bQuadricMeshes = true;
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    ASSERT_EQ(DrawModule(module), 1);
    const Picture culled = Read();
    SetQuadricObserver({});
    ASSERT_FALSE(drawn.empty());

    const auto redraw = [&](auto draw) {
      glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
      for (const QuadricDraw& d : drawn) {
        glLoadMatrixf(d.modelview);
        draw(d);
      }
      return Read();
    };
    g_bQuadricMeshes = false;
    const Picture glu = redraw([](const QuadricDraw& d) {
      if (d.kind == QuadricKind::Sphere)
        DrawSphere(d.base);
      else
        DrawCylinder(d.base, d.top, d.height);
    });

    if (frame % WHOLE_MESH_EVERY == 0) {
      const Picture whole = redraw([&](const QuadricDraw& d) { DrawQuadricMesh(Whole(d)); });
      ASSERT_EQ(Compare(whole, glu).count, 0) << "module " << module << ", frame " << frame
                                              << ": the whole meshes differ from GLU's pixels";
    }
    const Strays strays = Compare(culled, glu);
    ASSERT_EQ(strays.touching, "") << "module " << module << ", frame " << frame;
    ASSERT_LE(strays.count, MOST_STRAYS) << "module " << module << ", frame " << frame;
    if (strays.count > worst) worst = strays.count, worstFrame = frame;
  }
  std::printf("module %d: the worst of %d frames has %d differing pixels (frame %d)\n", module, FRAME_COUNT,
              worst, worstFrame);
}

INSTANTIATE_TEST_SUITE_P(Modules, MeshPicture, ::testing::Range(1, MODULE_COUNT + 1));

// Spheres of radius 1 at 10 in front of the eye (640 x 480, 50 degrees high): the
// top plane of the view volume passes 10 tan 25 = 4.66308 above the centre line,
// so a sphere centred 1 / cos 25 = 1.10338 higher, at 5.76645, just touches it.
// A cylinder 6 long and 2 wide starting 4 behind the eye lies behind it; turned
// round, it reaches 2 in front of the eye and shows.
TEST(QuadricView, OnlyQuadricsWhollyOutsideTheViewVolumeAreLeftOut) {
  ASSERT_TRUE(plat::headless::MakeOffscreenContext(WIDTH, HEIGHT));
  ResizeView(WIDTH, HEIGHT);
  const struct {
    QuadricKind kind;
    float y, z, xturn;
    bool outside;
  } cases[] = {
      {QuadricKind::Sphere, 0.0f, -10.0f, 0.0f, false},   {QuadricKind::Sphere, 5.6f, -10.0f, 0.0f, false},
      {QuadricKind::Sphere, 5.9f, -10.0f, 0.0f, true},    {QuadricKind::Sphere, -5.9f, -10.0f, 0.0f, true},
      {QuadricKind::Sphere, 0.0f, 1.2f, 0.0f, true},      {QuadricKind::Sphere, 0.0f, 0.5f, 0.0f, false},
      {QuadricKind::Sphere, 0.0f, -1002.0f, 0.0f, true},  {QuadricKind::Cylinder, 0.0f, 4.0f, 0.0f, true},
      {QuadricKind::Cylinder, 0.0f, 4.0f, 180.0f, false},
  };
  for (const auto& c : cases) {
    glLoadIdentity();
    glTranslatef(0.0f, c.y, c.z);
    glRotatef(c.xturn, 1.0f, 0.0f, 0.0f);
    const double size = c.kind == QuadricKind::Sphere ? 1.0 : 2.0;
    EXPECT_EQ(QuadricOutsideView(c.kind, size, size, 6.0), c.outside) << "at y " << c.y << ", z " << c.z;
  }
}

// The texels GL's linear filter reads for texture coordinates lo..hi along a side
// of `size` texels: floor(u - 1/2) and the next, for u = coordinate x size.
std::pair<int, int> FilterReach(float lo, float hi, int size) {
  return {static_cast<int>(std::floor(static_cast<double>(lo) * size - 0.5)),
          static_cast<int>(std::floor(static_cast<double>(hi) * size - 0.5)) + 1};
}

TEST(MeshTriangles, LeftOutOnesSampleOnlyTransparentTexelsAndKeptOnesSomeOpaque) {
  ASSERT_TRUE(plat::headless::MakeOffscreenContext(16, 16));
  ASSERT_TRUE(InitGLState());
  GLint width = 0, height = 0, wrapS = 0, wrapT = 0;
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &wrapS);
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, &wrapT);
  ASSERT_EQ(wrapS, GL_REPEAT);
  ASSERT_EQ(wrapT, GL_REPEAT);
  std::vector<unsigned char> alpha(static_cast<std::size_t>(width) * height);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glGetTexImage(GL_TEXTURE_2D, 0, GL_ALPHA, GL_UNSIGNED_BYTE, alpha.data());
  const auto opaque = [&](int x0, int x1, int y0, int y1) {
    for (int y = y0; y <= y1; ++y)
      for (int x = x0; x <= x1; ++x)
        if (alpha[static_cast<std::size_t>((y % height + height) % height) * width + (x % width + width) % width])
          return true;
    return false;
  };

  ASSERT_FALSE(QuadricMeshes().empty());
  for (const QuadricMesh& mesh : QuadricMeshes()) {
    const QuadricMesh* culled = &mesh;
    const QuadricMesh whole = BuildQuadricMesh(culled->sphere, culled->base, culled->top, culled->height, -1);
    const auto corner = [](const QuadricMesh& m, std::size_t i) { return &m.vertices[m.indices[i]]; };
    const auto same = [&](std::size_t c, std::size_t w) {
      for (int k = 0; k < 3; ++k)
        if (std::memcmp(corner(*culled, c + k), corner(whole, w + k), sizeof(MeshVertex)) != 0) return false;
      return true;
    };
    std::size_t next = 0, kept = 0;  // the culled mesh's triangles, a subsequence of the whole's
    for (std::size_t w = 0; w < whole.indices.size(); w += 3) {
      const MeshVertex *a = corner(whole, w), *b = corner(whole, w + 1), *c = corner(whole, w + 2);
      const auto [x0, x1] = FilterReach(std::min({a->s, b->s, c->s}), std::max({a->s, b->s, c->s}), width);
      const auto [y0, y1] = FilterReach(std::min({a->t, b->t, c->t}), std::max({a->t, b->t, c->t}), height);
      const std::string where = "size " + std::to_string(culled->base) + (culled->sphere ? " sphere" : " cylinder") +
                                ", triangle " + std::to_string(w / 3);
      if (next < culled->indices.size() && same(next, w)) {
        next += 3, ++kept;
        EXPECT_TRUE(opaque(x0 - 1, x1 + 1, y0 - 1, y1 + 1)) << where << " is kept but shows nothing";
      } else {
        EXPECT_FALSE(opaque(x0, x1, y0, y1)) << where << " is left out but may show texels " << x0 << ".." << x1
                                             << " x " << y0 << ".." << y1;
      }
    }
    EXPECT_EQ(next, culled->indices.size()) << "the culled mesh holds triangles the whole one has not";
    EXPECT_GT(kept, 0u);
  }
  DestroyGLContext();
}

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
  for (const QuadricMesh& culled : QuadricMeshes()) {
    // The whole mesh: what the culled one leaves out is checked against the texture above.
    const QuadricMesh mesh = BuildQuadricMesh(culled.sphere, culled.base, culled.top, culled.height, -1);
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
