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

void DrawCylinder(double base, double top, double height);  // gluCylinder, 32 x 32
void DrawSphere(double radius);                              // gluSphere, 32 x 32

// Test hook: called before each quadric is drawn; an empty function removes it.
void SetQuadricObserver(std::function<void(const QuadricDraw&)> observer);
