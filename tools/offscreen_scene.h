// The program's GL set-up and factory views for the off-screen tools and benchmarks.
// Stand-in until the tools can call the GL context code and the settings loader.
#pragma once
#include <GL/gl.h>
#include <GL/glu.h>

#include "render/glcontext.h"
#include "scene/modules.h"
#include "scene/texture.h"
#include "settings/settings.h"

inline int (*const g_pDraw[MODULE_COUNT + 1])() = {
    nullptr,     DrawModule1, DrawModule2, DrawModule3, DrawModule4,  DrawModule5,
    DrawModule6, DrawModule7, DrawModule8, DrawModule9, DrawModule10};

// The program's viewport and projection for a client size.
inline void SetUpProjection(int width, int height) {
  if (height == 0) height = 1;
  glViewport(0, 0, width, height);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluPerspective(50.0, static_cast<double>(width) / height, static_cast<double>(0.1f), 1000.0);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
}

// The program's fixed state: texture 107 bound, depth and alpha tests, shared quadric.
inline bool SetUpFixedState() {
  if (!LoadTextureResource(107, 0)) return false;
  glShadeModel(GL_SMOOTH);
  glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
  glClearDepth(1.0);
  glEnable(GL_DEPTH_TEST);
  glDepthFunc(GL_LEQUAL);
  glAlphaFunc(GL_GREATER, 0.0f);
  glEnable(GL_ALPHA_TEST);
  glEnable(GL_TEXTURE_2D);
  g_pQuadric = gluNewQuadric();
  gluQuadricNormals(g_pQuadric, GLU_SMOOTH);
  gluQuadricTexture(g_pQuadric, GL_TRUE);
  return true;
}

// The factory views, without reading or writing anyone's stored settings.
inline void LoadFactoryView(int module) {
  for (ModuleParams& p : g_Modules) p = {40, 0, 0, -90, 0, 0, 0.5f, true};
  g_Modules[1] = {50, 0, 0, -90, 0, 0, 0.5f, true};
  g_Modules[3] = {68, 0, 0, -90, 0, 0, 0.5f, true};
  g_Modules[4] = {25, 0, -1.25f, 0, 90, 0, 0.5f, true};
  g_Modules[5] = {22, -6, -4, -157.7f, 208.6f, 0, 0.5f, true};
  g_Modules[7] = {25, -7, 12.15f, -90, 90, 0, 0.5f, true};
  g_Modules[8] = {14, 0, 0, -90, 0, 0, 0.5f, true};
  g_Modules[9] = {30, 0, 0, 0, 0, 0, 0.5f, true};
  g_Modules[10] = {45, 0, 0, -90, 0, 0, 0.3f, true};
  const ModuleParams& p = g_Modules[module];
  g_fDepth = p.depth, g_fHorz = p.horz, g_fVert = p.vert;
  g_fXrot = p.xrot, g_fYrot = p.yrot, g_fZrot = p.zrot, g_fSpeed = p.speed;
  g_nModule = module;
  g_fAnimTime = 0.0f;
}
