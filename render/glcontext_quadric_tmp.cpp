// Temporary: the shared quadric until the GL context code defines it.
#include "render/glcontext.h"

GLUquadric* g_pQuadric = nullptr;
