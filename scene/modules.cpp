#include <GL/gl.h>

#include "scene/modules.h"
#include "scene/skeleton.h"

namespace {

int DrawNoModule() {
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  return EndModuleFrame();
}

int (*const MODULE_ROUTINES[])() = {
    DrawNoModule, DrawModule1, DrawModule2, DrawModule3, DrawModule4, DrawModule5,
    DrawModule6,  DrawModule7, DrawModule8, DrawModule9, DrawModule10,
};

}  // namespace

int DrawModule(int n) {
  if (n < 0 || n > 10) n = 0;
  return MODULE_ROUTINES[n]();
}
