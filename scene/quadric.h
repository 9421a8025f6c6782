// The one place where the modules emit quadrics. Every cylinder and sphere of every
// module passes through here, so tests can watch what is drawn and where.
#pragma once
#include <functional>

struct GLUquadric;

// The one GLU quadric all modules draw with; created with the GL context.
extern GLUquadric* g_pQuadric;

enum class QuadricKind { Cylinder, Sphere };

// What a module asked for, with the modelview matrix in force (column-major, as GL
// reports it). For a sphere only `base` is used, as its radius.
struct QuadricDraw {
  QuadricKind kind;
  double base;
  double top;
  double height;
  float modelview[16];
};

// What gluCylinder and gluSphere with 32 slices and 32 stacks draw. Each size the
// modules use is drawn from a mesh built once (scene/quadricmesh.h) with GLU's
// vertices and primitives, in one call, unless it lies wholly outside the view;
// with g_bQuadricMeshes false (tests and benchmarks compare the two) GLU
// tessellates it on every call instead.
void DrawCylinder(double base, double top, double height);
void DrawSphere(double radius);

extern bool g_bQuadricMeshes;

// Whether the quadric, drawn with the current modelview and projection matrices,
// lies wholly outside the view volume, so that drawing it would show nothing; the
// meshes are then not sent at all.
bool QuadricOutsideView(QuadricKind kind, double base, double top, double height);

// Creates g_pQuadric and the meshes; with the GL context current.
bool SetUpQuadrics();

// Test hook: called before each quadric is drawn; an empty function removes it.
void SetQuadricObserver(std::function<void(const QuadricDraw&)> observer);
