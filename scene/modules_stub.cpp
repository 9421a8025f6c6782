// Placeholder routines until the modules are drawn: clear only.
#include <GL/gl.h>

#include "scene/modules.h"

static int ClearOnly() {
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  return glGetError() == GL_NO_ERROR ? 1 : 0;
}
int DrawModule1() { return ClearOnly(); }
int DrawModule2() { return ClearOnly(); }
int DrawModule3() { return ClearOnly(); }
int DrawModule4() { return ClearOnly(); }
int DrawModule5() { return ClearOnly(); }
int DrawModule6() { return ClearOnly(); }
int DrawModule7() { return ClearOnly(); }
int DrawModule8() { return ClearOnly(); }
int DrawModule9() { return ClearOnly(); }
int DrawModule10() { return ClearOnly(); }
