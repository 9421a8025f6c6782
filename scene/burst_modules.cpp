// Modules 8, 9 and 10: a starburst of turning rays, a swarm bouncing inside a box
// that widens towards +z, and groups of satellites riding a circle.
#include <GL/gl.h>

#include <cmath>
#include <cstring>
#include <span>

#include "scene/modules.h"
#include "scene/quadric.h"
#include "settings/random.h"
#include "scene/skeleton.h"

namespace {
// --- Module 8 ---------------------------------------------------------------

constexpr int BURST_TRACK_HUNDREDTHS = static_cast<int>(TRACK_LENGTH * 100.0f);  // 2580

void BurstLayout(ModuleObject* table) {
  // The table is still zero from the start, so only the rays are set.
  for (int i = 0; i < RING_OBJECTS; ++i) {
    table[i].heading = static_cast<float>((i % 12) * 45 + (i / 12) * 180);
    table[i].z = static_cast<float>(i % 12) * TRACK_LENGTH / 12.0f;
  }
}

// Grows to 0.7 of full size at 70 % of the ray, then shrinks back to 0 at its end.
float BurstSize(float z) {
  const float u = std::fabs(z) / TRACK_LENGTH;
  if (u > 1.0f - 0.3f) return (1.0f - u) * u / 0.3f;
  return u;
}

// --- Module 9 ---------------------------------------------------------------

constexpr float SWARM_DEPTH = 40.0f;
constexpr float SWARM_HALF_WIDTH = 15.0f;
constexpr float SWARM_HALF_HEIGHT = 10.0f;
constexpr float SWARM_SPEED = 0.3f;
constexpr int SWARM_OBJECTS = 18;

float Rnd() { return static_cast<float>(NextRandom() - 16384) / 16384.0f; }

// Widening of the box at depth z: 1 at z = -40, 3 at z = +40.
float BoxScale(float z) { return (SWARM_DEPTH + z) / SWARM_DEPTH + 1.0f; }

void SwarmLayout(ModuleObject* table) {
  std::memset(table, 0, sizeof(ModuleObject) * MODULE_OBJECTS);
  for (int i = 0; i < RING_OBJECTS; ++i) {
    ModuleObject& o = table[i];
    // The draws follow a fixed order so a seed always gives the same swarm.
    o.phase = static_cast<float>(30 * i);
    o.z = static_cast<float>(i) * TRACK_LENGTH / 12.0f;
    o.dz = Rnd() * SWARM_SPEED;
    o.dy = Rnd() * SWARM_SPEED;
    o.dx = Rnd() * SWARM_SPEED;
    o.z = Rnd() * SWARM_DEPTH;
    const float k = BoxScale(o.z);
    o.x = Rnd() * SWARM_HALF_WIDTH * k;
    o.y = Rnd() * SWARM_HALF_HEIGHT * k;
  }
}

// Beyond a wall the velocity is made to point back inside, with a new random speed.
void Bounce(float position, float limit, float& velocity) {
  if (position > limit)
    velocity = -std::fabs(Rnd() * SWARM_SPEED);
  else if (position < -limit)
    velocity = std::fabs(Rnd() * SWARM_SPEED);
}

// --- Module 10 --------------------------------------------------------------

constexpr int SATELLITES = 18;
}  // namespace

int DrawModule8() {
  if (!BeginModuleFrame(8, BurstLayout)) return 1;
  ApplyCommonView();
  const float a = g_fAnimTime;
  for (ModuleObject& o : std::span(g_Objects[8], RING_OBJECTS)) {
    glPushMatrix();
    const float s = BurstSize(o.z);
    Ry(o.heading);
    glTranslatef(0.0f, 0.0f, 0.4f * o.z);
    glScalef(s, s, s);
    Ry(-o.heading);
    glTranslatef(0.0f, 0.0f, -6.0f / 2.0f);
    Rz(-a + o.phase);
    DrawCylinder(2.0, 2.0, 6.0);
    o.heading += 0.15f * g_fSpeed;
    o.z += 0.04f * g_fSpeed;
    // Restart near the centre, keeping the overshoot to a hundredth.
    if (o.z > TRACK_LENGTH)
      o.z = static_cast<float>(static_cast<int>(o.z * 100.0f) % BURST_TRACK_HUNDREDTHS) / 100.0f;
    glPopMatrix();
  }
  AdvanceClock();
  return EndModuleFrame();
}

int DrawModule9() {
  if (!BeginModuleFrame(9, SwarmLayout)) return 1;
  ApplyCommonView();
  const float a = g_fAnimTime;
  for (ModuleObject& o : std::span(g_Objects[9], SWARM_OBJECTS)) {
    glPushMatrix();
    const float k = BoxScale(o.z);
    Bounce(o.x, SWARM_HALF_WIDTH * k, o.dx);
    Bounce(o.y, SWARM_HALF_HEIGHT * k, o.dy);
    Bounce(o.z, SWARM_DEPTH, o.dz);
    glTranslatef(o.x, o.y, o.z);
    Rx(-90.0f);
    glTranslatef(0.0f, 0.0f, -6.0f / 2.0f);
    Rz(-a + o.phase);
    DrawCylinder(2.0, 2.0, 6.0);
    glPopMatrix();
    o.x += 0.15f * o.dx * g_fSpeed;
    o.y += 0.15f * o.dy * g_fSpeed;
    o.z += 0.15f * o.dz * g_fSpeed;
  }
  AdvanceClock(0.65f);
  return EndModuleFrame();
}

int DrawModule10() {
  if (!BeginModuleFrame(10, RingLayout)) return 1;
  ApplyCommonView();
  const float a = g_fAnimTime;
  const ModuleObject* table = g_Objects[10];
  for (int i = 0; i < SATELLITES; ++i) {
    const int group = i / 3;
    glPushMatrix();
    // About -z: the groups ride the big circle the other way round.
    glRotatef(-a / 4.0f + static_cast<float>(60 * group), 0.0f, 0.0f, -1.0f);
    glTranslatef(6.0f * 3.5f, 0.0f, 0.0f);
    glRotatef(-a + table[i].phase, 0.0f, group % 2 == 0 ? 1.0f : -1.0f, 0.0f);
    glTranslatef(0.0f, 0.0f, 6.0f / 1.5f);
    Rz(2.0f * (-a + static_cast<float>(150 * i)));
    glScalef(0.9f, 0.9f, 1.0f);
    DrawSphere(2.0 * 1.2);
    glPopMatrix();
  }
  glPushMatrix();
  Rz(-a / 3.0f);
  glScalef(0.9f, 0.9f, 1.0f);
  DrawSphere(16.0f * 0.7f);
  glPopMatrix();
  AdvanceClock();
  return EndModuleFrame();
}
