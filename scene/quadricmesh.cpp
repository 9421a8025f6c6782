#include "scene/quadricmesh.h"

#include <GL/gl.h>

#include <cmath>
#include <cstring>

namespace {

constexpr int SLICES = 32;
constexpr int STACKS = 32;
constexpr double PI = 3.14159265358979323846;

struct QuadricSize {
  bool sphere;
  double base, top, height;
};

// Every size the modules draw, with the modules' own arithmetic; a size missing
// here still draws, through GLU.
constexpr QuadricSize MODULE_QUADRICS[] = {
    {false, 2.0, 2.0, 6.0},                          // the glyph cylinders
    {false, 16.0 / 2.0, 16.0 / 2.0, 16.0 * 1.5},     // module 1's centre
    {false, 16.0 / 2.5, 16.0 / 2.5, 16.0f / 0.85f},  // module 2's centre
    {true, 2.0, 0.0, 0.0},                           // the glyph spheres
    {true, 7.0, 0.0, 0.0},                           // module 3's centre
    {true, 16.0 / 2.0, 0.0, 0.0},                    // modules 5 and 6's centre
    {true, 2.0 * 1.2, 0.0, 0.0},                     // module 10's satellites
    {true, 16.0f * 0.7f, 0.0, 0.0},                  // module 10's centre
};

std::vector<QuadricMesh> g_Meshes;

// GLU keeps angles and sines in floats but calls the double sin and cos; C++'s
// std::sin(float) would be the float function and round differently.
float Sin(float angle) { return static_cast<float>(std::sin(static_cast<double>(angle))); }
float Cos(float angle) { return static_cast<float>(std::cos(static_cast<double>(angle))); }

// One quad strip per stack, each vertex with the normal and texture coordinate
// current when GLU emits it.
using Strip = std::vector<MeshVertex>;

std::vector<Strip> CylinderStrips(double baseRadius, double topRadius, double height) {
  float sinCache[SLICES + 1], cosCache[SLICES + 1];
  float sinCache2[SLICES + 1], cosCache2[SLICES + 1];
  const float deltaRadius = static_cast<float>(baseRadius - topRadius);
  // The square is taken in float, the sum and root in double, as GLU does.
  const float length = static_cast<float>(std::sqrt(deltaRadius * deltaRadius + height * height));
  const float zNormal = deltaRadius / length;
  const float xyNormalRatio = static_cast<float>(height / length);
  for (int i = 0; i < SLICES; ++i) {
    const float angle = static_cast<float>(2 * PI * i / SLICES);
    sinCache2[i] = static_cast<float>(xyNormalRatio * std::sin(static_cast<double>(angle)));
    cosCache2[i] = static_cast<float>(xyNormalRatio * std::cos(static_cast<double>(angle)));
    sinCache[i] = Sin(angle);
    cosCache[i] = Cos(angle);
  }
  sinCache[SLICES] = sinCache[0];
  cosCache[SLICES] = cosCache[0];
  sinCache2[SLICES] = sinCache2[0];
  cosCache2[SLICES] = cosCache2[0];

  std::vector<Strip> strips;
  for (int j = 0; j < STACKS; ++j) {
    const float zLow = static_cast<float>(j * height / STACKS);
    const float zHigh = static_cast<float>((j + 1) * height / STACKS);
    const float radiusLow =
        static_cast<float>(baseRadius - deltaRadius * (static_cast<float>(j) / STACKS));
    const float radiusHigh =
        static_cast<float>(baseRadius - deltaRadius * (static_cast<float>(j + 1) / STACKS));
    Strip& strip = strips.emplace_back();
    for (int i = 0; i <= SLICES; ++i) {
      const float s = 1 - static_cast<float>(i) / SLICES;
      const float nx = sinCache2[i], ny = cosCache2[i];
      strip.push_back({s, static_cast<float>(j) / STACKS, nx, ny, zNormal,
                       radiusLow * sinCache[i], radiusLow * cosCache[i], zLow});
      strip.push_back({s, static_cast<float>(j + 1) / STACKS, nx, ny, zNormal,
                       radiusHigh * sinCache[i], radiusHigh * cosCache[i], zHigh});
    }
  }
  return strips;
}

std::vector<Strip> SphereStrips(double radius) {
  float sinCache1a[SLICES + 1], cosCache1a[SLICES + 1];
  float sinCache2b[STACKS + 1], cosCache2b[STACKS + 1];
  float sinCache1b[STACKS + 1], cosCache1b[STACKS + 1];
  for (int i = 0; i < SLICES; ++i) {
    const float angle = static_cast<float>(2 * PI * i / SLICES);
    sinCache1a[i] = Sin(angle);
    cosCache1a[i] = Cos(angle);
  }
  for (int j = 0; j <= STACKS; ++j) {
    const float angle = static_cast<float>(PI * j / STACKS);
    sinCache2b[j] = Sin(angle);
    cosCache2b[j] = Cos(angle);
    sinCache1b[j] = static_cast<float>(radius * std::sin(static_cast<double>(angle)));
    cosCache1b[j] = static_cast<float>(radius * std::cos(static_cast<double>(angle)));
  }
  sinCache1b[0] = 0;  // both poles come to a point
  sinCache1b[STACKS] = 0;
  sinCache1a[SLICES] = sinCache1a[0];
  cosCache1a[SLICES] = cosCache1a[0];
  // With smooth normals GLU's normal caches about the axis equal the vertex ones.
  const float* sinCache2a = sinCache1a;
  const float* cosCache2a = cosCache1a;

  std::vector<Strip> strips;
  for (int j = 0; j < STACKS; ++j) {
    const float zLow = cosCache1b[j], zHigh = cosCache1b[j + 1];
    const float sintemp1 = sinCache1b[j], sintemp2 = sinCache1b[j + 1];
    const float sintemp3 = sinCache2b[j + 1], costemp3 = cosCache2b[j + 1];
    const float sintemp4 = sinCache2b[j], costemp4 = cosCache2b[j];
    Strip& strip = strips.emplace_back();
    for (int i = 0; i <= SLICES; ++i) {
      const float s = 1 - static_cast<float>(i) / SLICES;
      strip.push_back({s, 1 - static_cast<float>(j + 1) / STACKS, sinCache2a[i] * sintemp3,
                       cosCache2a[i] * sintemp3, costemp3, sintemp2 * sinCache1a[i],
                       sintemp2 * cosCache1a[i], zHigh});
      strip.push_back({s, 1 - static_cast<float>(j) / STACKS, sinCache2a[i] * sintemp4,
                       cosCache2a[i] * sintemp4, costemp4, sintemp1 * sinCache1a[i],
                       sintemp1 * cosCache1a[i], zLow});
    }
  }
  return strips;
}

bool Same(const MeshVertex& a, const MeshVertex& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// Each quad of a strip (v0, v1, v2, v3) becomes the two triangles Mesa makes of it,
// in its order: (v0, v1, v3) and (v2, v0, v3). Where neighbouring stacks meet, a
// vertex equal bit for bit to the previous strip's at the same place round the axis
// is stored, and shaded, once.
QuadricMesh Index(const std::vector<Strip>& strips) {
  QuadricMesh mesh{};
  std::vector<std::uint16_t> previous, current;  // strip vertex -> mesh vertex
  const Strip* before = nullptr;
  for (const Strip& strip : strips) {
    current.clear();
    for (std::size_t n = 0; n < strip.size(); ++n) {
      const std::size_t pair = n & ~std::size_t{1};
      int shared = -1;
      for (std::size_t m = pair; before && m <= pair + 1; ++m)
        if (Same(strip[n], (*before)[m])) shared = previous[m];
      if (shared < 0) {
        shared = static_cast<int>(mesh.vertices.size());
        mesh.vertices.push_back(strip[n]);
      }
      current.push_back(static_cast<std::uint16_t>(shared));
    }
    for (std::size_t k = 0; k + 3 < strip.size(); k += 2)
      mesh.indices.insert(mesh.indices.end(), {current[k], current[k + 1], current[k + 3],
                                               current[k + 2], current[k], current[k + 3]});
    previous.swap(current);
    before = &strip;
  }
  return mesh;
}

QuadricMesh BuildCylinderMesh(double base, double top, double height) {
  QuadricMesh mesh = Index(CylinderStrips(base, top, height));
  mesh.sphere = false;
  mesh.base = base, mesh.top = top, mesh.height = height;
  return mesh;
}

QuadricMesh BuildSphereMesh(double radius) {
  QuadricMesh mesh = Index(SphereStrips(radius));
  mesh.sphere = true;
  mesh.base = radius;
  return mesh;
}

}  // namespace

void BuildQuadricMeshes() {
  if (!g_Meshes.empty()) return;
  for (const QuadricSize& size : MODULE_QUADRICS)
    g_Meshes.push_back(size.sphere ? BuildSphereMesh(size.base)
                                   : BuildCylinderMesh(size.base, size.top, size.height));
}

const QuadricMesh* FindQuadricMesh(bool sphere, double base, double top, double height) {
  for (const QuadricMesh& mesh : g_Meshes)
    if (mesh.sphere == sphere && mesh.base == base && (sphere || (mesh.top == top && mesh.height == height)))
      return &mesh;
  return nullptr;
}

void DrawQuadricMesh(const QuadricMesh& mesh) {
  glInterleavedArrays(GL_T2F_N3F_V3F, 0, mesh.vertices.data());
  glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(mesh.indices.size()), GL_UNSIGNED_SHORT,
                 mesh.indices.data());
}
