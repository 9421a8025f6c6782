// Modules 4 and 7: a wall of three rows of eight spinning objects, neighbours pushed
// alternately towards and away from the viewer by the shared bounce oscillator.
#include "scene/grid_modules.h"

#include <GL/gl.h>

#include "scene/modules.h"
#include "scene/quadric.h"
#include "scene/skeleton.h"

float g_fBounce = 0.0f;
bool g_bBounceUp = true;

namespace {
constexpr int GRID_ROWS = 3;
constexpr int GRID_COLUMNS = 8;
constexpr float COLUMN_SPACING = 2.0f * 2.7f;
constexpr float ROW_SPACING = 6.0f * 1.2f;
constexpr float BOUNCE_LIMIT = 5.0f;

void StepBounce() {
  const float d = 0.02f * g_fSpeed;
  if (g_bBounceUp) {
    g_fBounce += d;
    if (g_fBounce > BOUNCE_LIMIT) {
      g_bBounceUp = false;
      g_fBounce = BOUNCE_LIMIT;
    }
  } else {
    g_fBounce -= d;
    if (g_fBounce < -BOUNCE_LIMIT) {
      g_bBounceUp = true;
      g_fBounce = -BOUNCE_LIMIT;
    }
  }
}

// Module 7's spheres keep their own orientation whatever xrot is; module 4's
// cylinders stand upright and are centred on their row.
void DrawWall(int module, bool spheres) {
  const float a = g_fAnimTime;
  const ModuleObject* table = g_Objects[module];
  for (int r = 0; r < GRID_ROWS; ++r) {
    for (int c = 0; c < GRID_COLUMNS; ++c) {
      glPushMatrix();
      glTranslatef(0.0f, 0.0f, (r + c) % 2 == 0 ? g_fBounce : -g_fBounce);
      const float x = COLUMN_SPACING * (static_cast<float>(c) - 3.5f);
      const float y = ROW_SPACING * static_cast<float>(r - 1);
      // Records are shared between objects by design: row r reads every (r+1)-th.
      const float phase = table[(r + 1) * (c + 1) - 1].phase;
      if (spheres) {
        glTranslatef(x, y, 0.0f);
        Rx(-g_fXrot - 90.0f);
        Rz(-a + phase);
        DrawSphere(2.0);
      } else {
        glTranslatef(x, y - 3.0f, 0.0f);
        Rx(-90.0f);
        Rz(-a + phase);
        DrawCylinder(2.0, 2.0, 6.0);
      }
      glPopMatrix();
    }
  }
}
}  // namespace

int DrawModule4() {
  if (!BeginModuleFrame(4, RingLayout)) return 1;
  glLoadIdentity();
  glTranslatef(g_fHorz, g_fVert, -g_fDepth);
  Rx(g_fXrot);
  Ry(g_fYrot);
  Rz(g_fZrot);
  DrawWall(4, false);
  AdvanceClock();
  StepBounce();
  return EndModuleFrame();
}

int DrawModule7() {
  if (!BeginModuleFrame(7, RingLayout)) return 1;
  glLoadIdentity();
  glTranslatef(g_fHorz + 7.0f, g_fVert - 12.0f, -(g_fDepth + 1.0f));
  Rz(g_fZrot);
  Ry(g_fYrot);
  Rx(g_fXrot);
  DrawWall(7, true);
  AdvanceClock();
  // The wall tumbles by turning the working view itself, so the turn is kept with it.
  g_fXrot -= 0.5f * g_fSpeed;
  g_fYrot -= 0.25f * g_fSpeed;
  StepBounce();
  return EndModuleFrame();
}
