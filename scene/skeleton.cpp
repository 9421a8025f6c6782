#include "scene/skeleton.h"

#include <GL/gl.h>

#include <cstring>

ModuleObject g_Objects[MODULE_COUNT + 1][MODULE_OBJECTS];
bool g_bFirstUse[MODULE_COUNT + 1] = {true, true, true, true, true, true,
                                      true, true, true, true, true};

namespace {
// The clock is single precision: wrapping keeps its spin steps from vanishing.
constexpr float CLOCK_WRAP = 5000000.0f;
}  // namespace

void RingLayout(ModuleObject* table) {
  std::memset(table, 0, sizeof(ModuleObject) * MODULE_OBJECTS);
  for (int i = 0; i < RING_OBJECTS; ++i) {
    const int ring = i / 3;
    table[i].phase = static_cast<float>(-((120 * i) % 360 + 30 * ring));
    table[i].z = static_cast<float>(ring) * (2.0f * TRACK_LENGTH / 8.0f) - TRACK_LENGTH;
  }
}

bool BeginModuleFrame(int module, void (*init)(ModuleObject* table)) {
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  if (!g_Modules[module].active) return false;
  if (g_fAnimTime > CLOCK_WRAP) g_fAnimTime -= CLOCK_WRAP;
  if (g_bFirstUse[module]) {
    g_bFirstUse[module] = false;
    init(g_Objects[module]);
  }
  return true;
}

void ApplyCommonView() {
  glLoadIdentity();
  glTranslatef(g_fHorz, g_fVert, -g_fDepth);
  glRotatef(g_fZrot, 0.0f, 0.0f, 1.0f);
  glRotatef(g_fYrot, 0.0f, 1.0f, 0.0f);
  glRotatef(g_fXrot, 1.0f, 0.0f, 0.0f);
}

void AdvanceClock(float factor) { g_fAnimTime += factor * g_fSpeed; }

int EndModuleFrame() { return glGetError() == GL_NO_ERROR ? 1 : 0; }
