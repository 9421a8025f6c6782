#include "scene/quadricmesh.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "scene/opaquetexels.h"

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
unsigned g_nMeshTexture;  // the record of the module texture the meshes were built from

constexpr int MODULE_TEXTURE_SLOT = 0;  // the image every module draws with

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

// Inside a triangle that is not seen edge-on, interpolation keeps the texture
// coordinates between its corners' (perspective only reweighs the corners), and
// linear filtering reads at most the texel beyond each side of that box. A
// triangle whose box, so widened, holds no texel with alpha above 0 leaves no
// colour and no depth anywhere: the alpha test drops every fragment it makes.
bool CanShow(int slot, const MeshVertex& a, const MeshVertex& b, const MeshVertex& c) {
  int width = 0, height = 0;
  OpaqueTexelsSize(slot, &width, &height);
  if (width == 0 || height == 0) return true;
  const auto texel = [](float coordinate, int size) {
    return static_cast<int>(std::floor(static_cast<double>(coordinate) * size));
  };
  return AnyOpaqueTexel(slot, texel(std::min({a.s, b.s, c.s}), width) - 1,
                        texel(std::max({a.s, b.s, c.s}), width) + 1,
                        texel(std::min({a.t, b.t, c.t}), height) - 1,
                        texel(std::max({a.t, b.t, c.t}), height) + 1);
}

// Each quad of a strip (v0, v1, v2, v3) becomes the two triangles Mesa makes of it,
// in its order: (v0, v1, v3) and (v2, v0, v3); with a texture slot, those that
// cannot show are left out. Vertices are stored in strip order, those of no
// triangle not at all; where neighbouring stacks meet, a vertex equal bit for bit
// to the previous strip's at the same place round the axis is stored, and shaded,
// once.
QuadricMesh Index(const std::vector<Strip>& strips, int slot) {
  QuadricMesh mesh{};
  constexpr int UNUSED = -1;
  std::vector<int> previous, current;  // strip vertex -> mesh vertex, or UNUSED
  std::vector<std::size_t> corners;    // the strip's triangles that show
  const Strip* before = nullptr;
  for (const Strip& strip : strips) {
    corners.clear();
    const auto keep = [&](std::size_t a, std::size_t b, std::size_t c) {
      if (slot < 0 || CanShow(slot, strip[a], strip[b], strip[c])) corners.insert(corners.end(), {a, b, c});
    };
    for (std::size_t k = 0; k + 3 < strip.size(); k += 2) keep(k, k + 1, k + 3), keep(k + 2, k, k + 3);

    std::vector<bool> used(strip.size(), false);
    for (std::size_t n : corners) used[n] = true;
    current.assign(strip.size(), UNUSED);
    for (std::size_t n = 0; n < strip.size(); ++n) {
      if (!used[n]) continue;
      const std::size_t pair = n & ~std::size_t{1};
      for (std::size_t m = pair; before && m <= pair + 1; ++m)
        if (previous[m] != UNUSED && Same(strip[n], (*before)[m])) current[n] = previous[m];
      if (current[n] == UNUSED) {
        current[n] = static_cast<int>(mesh.vertices.size());
        mesh.vertices.push_back(strip[n]);
      }
    }
    for (std::size_t n : corners) mesh.indices.push_back(static_cast<std::uint16_t>(current[n]));
    previous.swap(current);
    before = &strip;
  }
  return mesh;
}

}  // namespace

QuadricMesh BuildQuadricMesh(bool sphere, double base, double top, double height, int textureSlot) {
  QuadricMesh mesh = Index(sphere ? SphereStrips(base) : CylinderStrips(base, top, height), textureSlot);
  mesh.sphere = sphere;
  mesh.base = base;
  if (!sphere) mesh.top = top, mesh.height = height;
  return mesh;
}

void BuildQuadricMeshes() {
  const unsigned record = OpaqueTexelsRecord(MODULE_TEXTURE_SLOT);
  if (!g_Meshes.empty() && g_nMeshTexture == record) return;
  g_Meshes.clear();
  for (const QuadricSize& size : MODULE_QUADRICS)
    g_Meshes.push_back(BuildQuadricMesh(size.sphere, size.base, size.top, size.height, MODULE_TEXTURE_SLOT));
  g_nMeshTexture = record;
}

const std::vector<QuadricMesh>& QuadricMeshes() { return g_Meshes; }

const QuadricMesh* FindQuadricMesh(bool sphere, double base, double top, double height) {
  for (const QuadricMesh& mesh : g_Meshes)
    if (mesh.sphere == sphere && mesh.base == base && (sphere || (mesh.top == top && mesh.height == height)))
      return &mesh;
  return nullptr;
}

void DrawQuadricMesh(const QuadricMesh& mesh) {
  if (mesh.indices.empty()) return;  // nothing of it can show
  glInterleavedArrays(GL_T2F_N3F_V3F, 0, mesh.vertices.data());
  glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(mesh.indices.size()), GL_UNSIGNED_SHORT,
                 mesh.indices.data());
}
