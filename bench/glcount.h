// Counts the GL calls a frame makes. The benchmark defines the GL entry points a
// frame can reach (the module routines, the mesh draw, GLU's cylinder and sphere)
// and exports them, so calls from libGLU land here too; each counts and passes the
// call on to the GL library. Include in one file of a program linked with exports.
#pragma once
#include <GL/gl.h>
#include <dlfcn.h>

inline long g_nGLCalls = 0;

#define KIRU_COUNTED_GL(X)                                                                     \
  X(void, glBegin, (GLenum a), (a))                                                            \
  X(void, glEnd, (), ())                                                                       \
  X(void, glVertex3f, (GLfloat x, GLfloat y, GLfloat z), (x, y, z))                            \
  X(void, glNormal3f, (GLfloat x, GLfloat y, GLfloat z), (x, y, z))                            \
  X(void, glTexCoord2f, (GLfloat s, GLfloat t), (s, t))                                        \
  X(void, glInterleavedArrays, (GLenum f, GLsizei s, const GLvoid* p), (f, s, p))              \
  X(void, glDrawElements, (GLenum m, GLsizei n, GLenum t, const GLvoid* i), (m, n, t, i))      \
  X(void, glClear, (GLbitfield m), (m))                                                        \
  X(void, glColor4f, (GLfloat r, GLfloat g, GLfloat b, GLfloat a), (r, g, b, a))               \
  X(void, glLoadIdentity, (), ())                                                              \
  X(void, glPushMatrix, (), ())                                                                \
  X(void, glPopMatrix, (), ())                                                                 \
  X(void, glTranslatef, (GLfloat x, GLfloat y, GLfloat z), (x, y, z))                          \
  X(void, glRotatef, (GLfloat a, GLfloat x, GLfloat y, GLfloat z), (a, x, y, z))               \
  X(void, glScalef, (GLfloat x, GLfloat y, GLfloat z), (x, y, z))                              \
  X(GLenum, glGetError, (), ())                                                                \
  X(void, glGetFloatv, (GLenum p, GLfloat* v), (p, v))                                         \
  X(void, glFinish, (), ())

#define KIRU_COUNTING_WRAPPER(type, name, params, args)                                        \
  extern "C" type name params {                                                                \
    static auto real = reinterpret_cast<type(*) params>(dlsym(RTLD_NEXT, #name));              \
    ++g_nGLCalls;                                                                              \
    return real args;                                                                          \
  }
KIRU_COUNTED_GL(KIRU_COUNTING_WRAPPER)
#undef KIRU_COUNTING_WRAPPER
