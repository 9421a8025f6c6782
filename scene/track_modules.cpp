// Modules 1, 2, 3, 5 and 6: 24 objects swept along a track from -TRACK_LENGTH to
// +TRACK_LENGTH around a slowly turning central object.
#include <GL/gl.h>

#include <cmath>

#include "scene/modules.h"
#include "scene/quadric.h"
#include "scene/skeleton.h"

namespace {
constexpr float LOOP_RADIUS = TRACK_LENGTH / 1.7f;
constexpr float HALF_TRACK = TRACK_LENGTH * 0.5f;
constexpr float TRACK_STEP = 0.05f;
constexpr int TRACK_WHOLE = static_cast<int>(TRACK_LENGTH);  // 25

// 1.2 in the middle of the track, 0 at both ends.
float Taper(float z) { return (TRACK_LENGTH - std::fabs(z)) * 1.2f / TRACK_LENGTH; }

// Module 3: full size over the middle half, falling to 0 over the outer quarters.
float PlateauTaper(float z) {
  const float a = std::fabs(z);
  if (a > HALF_TRACK) return 1.2f * (TRACK_LENGTH - a) / HALF_TRACK;
  return 1.2f * HALF_TRACK / HALF_TRACK;
}

// Past the end the object restarts at the far end, keeping whole units of overshoot.
void AdvanceOnTrack(ModuleObject& object, float step) {
  object.z += step * g_fSpeed;
  if (object.z > TRACK_LENGTH)
    object.z = static_cast<float>(static_cast<int>(object.z) % TRACK_WHOLE) - TRACK_LENGTH;
}

// Loop that leaves the axis and comes back to it; the cylinder stays parallel to z.
void ShechenObject(const ModuleObject& o, int i, float a) {
  const float s = Taper(o.z);
  Rz(-a / 4.0f + o.phase);
  glTranslatef(LOOP_RADIUS, 0.0f, 0.0f);
  Ry(o.z * 180.0f / TRACK_LENGTH);
  glTranslatef(LOOP_RADIUS, 0.0f, 0.0f);
  Ry(o.z * -180.0f / TRACK_LENGTH);
  Rz((-a + static_cast<float>(30 * i)) * 0.25f);
  glScalef(s, s, s);
  glTranslatef(0.0f, 0.0f, -9.0f);
  glScalef(2.0f, 2.0f, 2.0f);
  DrawCylinder(2.0, 2.0, 6.0);
}

void ShechenCentre(float a) {
  Rz(-a / 3.0f);
  glTranslatef(0.0f, 0.0f, -1.5f * 16.0f / 2.0f);
  DrawCylinder(16.0 / 2.0, 16.0 / 2.0, 16.0 * 1.5);
}

// Half circle about the centre, from -z through the side to +z.
void JokhangObject(const ModuleObject& o, int i, float a) {
  const float s = Taper(o.z);
  Rz(-a / 4.0f + o.phase);
  Ry((TRACK_LENGTH + o.z) * 90.0f / TRACK_LENGTH);
  glTranslatef(0.0f, 0.0f, -LOOP_RADIUS);
  Ry(-90.0f);
  Rz(-a + static_cast<float>(30 * i));
  glScalef(s, s, 1.25f * s);
  DrawCylinder(2.0, 2.0, 6.0);
}

void JokhangCentre(float a) {
  glTranslatef(0.0f, 0.0f, -(16.0f / 0.75f) / 2.0f);
  Rz(-a / 3.0f);
  DrawCylinder(16.0 / 2.5, 16.0 / 2.5, 16.0f / 0.85f);
}

// Straight up beside the axis, drawing in towards it near both ends.
void MindrolingObject(const ModuleObject& o, int i, float a) {
  const float s = PlateauTaper(o.z);
  Rz(-a / 4.0f + o.phase);
  glTranslatef(-12.0f * s, 0.0f, 1.2f * o.z);
  Rx(-55.0f);
  Rz(-a + static_cast<float>(30 * i));
  glScalef(s, s, 1.25f * s);
  DrawSphere(2.0);
}

void MindrolingCentre(float a) {
  Rz(-a / 3.0f);
  DrawSphere(7.0);
}

// A whole circle about the centre.
void PalpungObject(const ModuleObject& o, int i, float a) {
  const float s = Taper(o.z);
  Rz(-a / 4.0f + o.phase);
  Ry((TRACK_LENGTH + o.z) * 180.0f / TRACK_LENGTH);
  glTranslatef(-LOOP_RADIUS, 0.0f, 0.0f);
  Ry(-90.0f);
  Rz(-1.5f * a + static_cast<float>(30 * i));
  glScalef(s, s, s);
  DrawSphere(2.0);
}

// Module 1's loop on the opposite side.
void KathokObject(const ModuleObject& o, int i, float a) {
  const float s = Taper(o.z);
  Rz(-a / 4.0f + o.phase);
  glTranslatef(-LOOP_RADIUS, 0.0f, 0.0f);
  Ry(o.z * 180.0f / TRACK_LENGTH);
  glTranslatef(-LOOP_RADIUS, 0.0f, 0.0f);
  Ry(-90.0f);
  Rz(-1.7f * a + static_cast<float>(30 * i));
  glScalef(s, s, s);
  DrawSphere(2.0);
}

void SphereCentre(float a) {
  Rz(-a / 3.0f);
  DrawSphere(16.0 / 2.0);
}

struct TrackModule {
  int module;
  void (*object)(const ModuleObject& o, int i, float a);
  void (*centre)(float a);
  float step;
  bool swallowObjectErrors;  // module 1 consumes the errors its objects raise
};

int DrawTrackModule(const TrackModule& m) {
  if (!BeginModuleFrame(m.module, RingLayout)) return 1;
  ApplyCommonView();
  const float a = g_fAnimTime;
  ModuleObject* table = g_Objects[m.module];
  for (int i = 0; i < RING_OBJECTS; ++i) {
    glPushMatrix();
    m.object(table[i], i, a);
    AdvanceOnTrack(table[i], m.step);
    glPopMatrix();
    if (m.swallowObjectErrors) glGetError();
  }
  glPushMatrix();
  m.centre(a);
  glPopMatrix();
  AdvanceClock();
  return EndModuleFrame();
}
}  // namespace

int DrawModule1() { return DrawTrackModule({1, ShechenObject, ShechenCentre, TRACK_STEP * 0.5f, true}); }
int DrawModule2() { return DrawTrackModule({2, JokhangObject, JokhangCentre, TRACK_STEP, false}); }
int DrawModule3() { return DrawTrackModule({3, MindrolingObject, MindrolingCentre, TRACK_STEP, false}); }
int DrawModule5() { return DrawTrackModule({5, PalpungObject, SphereCentre, TRACK_STEP, false}); }
int DrawModule6() { return DrawTrackModule({6, KathokObject, SphereCentre, TRACK_STEP, false}); }
