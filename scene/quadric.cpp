#include "scene/quadric.h"

#include <GL/gl.h>
#include <GL/glu.h>

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
}  // namespace

void DrawCylinder(double base, double top, double height) {
  Observe(QuadricKind::Cylinder, base, top, height);
  const QuadricMesh* mesh = g_bQuadricMeshes ? FindQuadricMesh(false, base, top, height) : nullptr;
  if (mesh) return DrawQuadricMesh(*mesh);
  gluCylinder(g_pQuadric, base, top, height, QUADRIC_SLICES, QUADRIC_STACKS);
}

void DrawSphere(double radius) {
  Observe(QuadricKind::Sphere, radius, 0.0, 0.0);
  const QuadricMesh* mesh = g_bQuadricMeshes ? FindQuadricMesh(true, radius, 0.0, 0.0) : nullptr;
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
