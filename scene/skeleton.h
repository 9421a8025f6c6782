// What the ten module routines share: the track constant, the object tables with
// their first-use flags and ring layout, and the steps of one frame.
#pragma once
#include <GL/gl.h>

#include "settings/settings.h"

// Half-length of the track: the single-precision value of 800 / 31.
constexpr float TRACK_LENGTH = 25.80645179748535f;

constexpr int MODULE_OBJECTS = 30;  // records per table
constexpr int RING_OBJECTS = 24;    // records the modules use (9 and 10 draw 18)

struct ModuleObject {
  float x;
  float y;
  float z;
  float dz;
  float dx;
  float dy;
  float heading;
  float phase;
};
static_assert(sizeof(ModuleObject) == 8 * sizeof(float), "eight packed floats");

// Row k belongs to module k; row 0 is unused. Zero at start, initialised at a
// module's first enabled frame and never reset afterwards.
extern ModuleObject g_Objects[MODULE_COUNT + 1][MODULE_OBJECTS];
extern bool g_bFirstUse[MODULE_COUNT + 1];

// Eight rings of three along the track, 120 degrees apart within a ring, each ring
// turned 30 degrees further than the one before.
void RingLayout(ModuleObject* table);

// Clears the frame; false when the module is disabled (nothing else happens then and
// the routine returns 1). Otherwise wraps the clock and runs `init` on first use.
bool BeginModuleFrame(int module, void (*init)(ModuleObject* table));
// The view built from the working set: T(horz, vert, -depth), Rz, Ry, Rx.
void ApplyCommonView();
// The clock advance, step per frame = factor x speed.
void AdvanceClock(float factor = 1.0f);
// 1 when no GL error is pending, else 0.
int EndModuleFrame();

// Rotations about the model axes, in degrees.
inline void Rx(float angle) { glRotatef(angle, 1.0f, 0.0f, 0.0f); }
inline void Ry(float angle) { glRotatef(angle, 0.0f, 1.0f, 0.0f); }
inline void Rz(float angle) { glRotatef(angle, 0.0f, 0.0f, 1.0f); }
