#include "scene/quadric.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cmath>
#include <utility>

#include "scene/quadricmesh.h"

GLUquadric* g_pQuadric;
bool g_bQuadricMeshes = true;

namespace {
constexpr GLint QUADRIC_SLICES = 32;
constexpr GLint QUADRIC_STACKS = 32;

std::function<void(const QuadricDraw&)> g_pObserver;

void Observe(QuadricKind kind, double base, double top, double height) {
  if (!g_pObserver) return;
  QuadricDraw draw{kind, base, top, height, {}};
  glGetFloatv(GL_MODELVIEW_MATRIX, draw.modelview);
  g_pObserver(draw);
}

// Spheres of this much more than the radius count as outside: rounding in the
// matrices never hides a quadric that shows a pixel.
constexpr double OUTSIDE_MARGIN = 1.01;

}  // namespace

// The quadric's vertices lie within its bounding sphere. Clip coordinates are the
// rows of projection x modelview applied to an object point, and the view volume is
// where w + x, w - x, w + y, w - y, w + z and w - z are all at least 0: each is a
// plane in object space. A sphere wholly on the outer side of one of them makes no
// fragment at all.
bool QuadricOutsideView(QuadricKind kind, double base, double top, double height) {
  float modelview[16], projection[16];
  glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
  glGetFloatv(GL_PROJECTION_MATRIX, projection);
  double m[16];  // column-major, as GL keeps them
  for (int c = 0; c < 4; ++c)
    for (int r = 0; r < 4; ++r) {
      double sum = 0.0;
      for (int k = 0; k < 4; ++k) sum += static_cast<double>(projection[k * 4 + r]) * modelview[c * 4 + k];
      m[c * 4 + r] = sum;
    }
  const bool sphere = kind == QuadricKind::Sphere;
  const double centreZ = sphere ? 0.0 : height / 2.0;
  const double wide = sphere ? base : std::max(base, top);
  const double radius = std::sqrt(wide * wide + (sphere ? 0.0 : centreZ * centreZ)) * OUTSIDE_MARGIN;
  for (int row = 0; row < 3; ++row)
    for (double sign : {1.0, -1.0}) {
      double plane[4];
      for (int c = 0; c < 4; ++c) plane[c] = m[c * 4 + 3] + sign * m[c * 4 + row];
      const double length = std::sqrt(plane[0] * plane[0] + plane[1] * plane[1] + plane[2] * plane[2]);
      if (plane[2] * centreZ + plane[3] < -radius * length) return true;
    }
  return false;
}

void DrawCylinder(double base, double top, double height) {
  Observe(QuadricKind::Cylinder, base, top, height);
  const QuadricMesh* mesh = g_bQuadricMeshes ? FindQuadricMesh(false, base, top, height) : nullptr;
  if (mesh && QuadricOutsideView(QuadricKind::Cylinder, base, top, height)) return;
  if (mesh) return DrawQuadricMesh(*mesh);
  gluCylinder(g_pQuadric, base, top, height, QUADRIC_SLICES, QUADRIC_STACKS);
}

void DrawSphere(double radius) {
  Observe(QuadricKind::Sphere, radius, 0.0, 0.0);
  const QuadricMesh* mesh = g_bQuadricMeshes ? FindQuadricMesh(true, radius, 0.0, 0.0) : nullptr;
  if (mesh && QuadricOutsideView(QuadricKind::Sphere, radius, 0.0, 0.0)) return;
  if (mesh) return DrawQuadricMesh(*mesh);
  gluSphere(g_pQuadric, radius, QUADRIC_SLICES, QUADRIC_STACKS);
}

void SetQuadricObserver(std::function<void(const QuadricDraw&)> observer) {
  g_pObserver = std::move(observer);
}

bool SetUpQuadrics() {
  BuildQuadricMeshes();
  g_pQuadric = gluNewQuadric();
  if (!g_pQuadric) return false;  // out of memory: the modules could draw nothing
  gluQuadricNormals(g_pQuadric, GLU_SMOOTH);
  gluQuadricTexture(g_pQuadric, GL_TRUE);
  return true;
}
