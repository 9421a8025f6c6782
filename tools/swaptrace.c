/* Preloaded into a GL program by tools/bench-side-by-side and tools/bench-wayland: counts the frames it
 * presents (glXSwapBuffers, or eglSwapBuffers as XScreenSaver's hacks use) and
 * notes when the first one has reached the X server, and the process's CPU time
 * (every thread) by then. The figures are rewritten in place in $KIRU_SWAPTRACE
 * after every swap: "<frames> <first-frame epoch seconds> <CPU ms by then>". */
#define _GNU_SOURCE
#include <X11/Xlib.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>
#include <unistd.h>

typedef void* EGLDisplay;
typedef void* EGLSurface;
typedef unsigned int EGLBoolean;
typedef unsigned int EGLenum;
typedef intptr_t EGLAttrib;

static Display* g_pEglDisplay; /* the X connection EGL draws through */
static long g_nFrames;
static double g_fFirst;
static double g_fFirstCpu; /* ms */

static void Presented(Display* dpy) {
  ++g_nFrames;
  if (g_nFrames == 1) {
    if (dpy) XSync(dpy, False); /* the picture has reached the server */
    struct timespec now;
    clock_gettime(CLOCK_REALTIME, &now);
    g_fFirst = (double)now.tv_sec + (double)now.tv_nsec / 1e9;
    struct timespec cpu;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &cpu);
    g_fFirstCpu = (double)cpu.tv_sec * 1e3 + (double)cpu.tv_nsec / 1e6;
  }
  static int fd = -2;
  if (fd == -2) {
    const char* path = getenv("KIRU_SWAPTRACE");
    fd = path ? open(path, O_WRONLY | O_CREAT | O_TRUNC, 0644) : -1;
  }
  if (fd < 0) return;
  char line[80];
  int n = snprintf(line, sizeof line, "%12ld %20.6f %10.1f\n", g_nFrames, g_fFirst, g_fFirstCpu);
  if (n > 0) (void)!pwrite(fd, line, (size_t)n, 0);
}

#define REAL(type, name, params) \
  static type(*real) params;     \
  if (!real) real = (type(*) params)dlsym(RTLD_NEXT, name)

void glXSwapBuffers(Display* dpy, unsigned long drawable) {
  REAL(void, "glXSwapBuffers", (Display*, unsigned long));
  real(dpy, drawable);
  Presented(dpy);
}

EGLDisplay eglGetDisplay(void* native) {
  REAL(EGLDisplay, "eglGetDisplay", (void*));
  g_pEglDisplay = (Display*)native;
  return real(native);
}

EGLDisplay eglGetPlatformDisplay(EGLenum platform, void* native, const EGLAttrib* attributes) {
  REAL(EGLDisplay, "eglGetPlatformDisplay", (EGLenum, void*, const EGLAttrib*));
  const EGLenum PLATFORM_X11 = 0x31D5; /* Kiru's Wayland desktop passes a wl_display */
  g_pEglDisplay = platform == PLATFORM_X11 ? (Display*)native : NULL;
  return real(platform, native, attributes);
}

EGLBoolean eglSwapBuffers(EGLDisplay display, EGLSurface surface) {
  REAL(EGLBoolean, "eglSwapBuffers", (EGLDisplay, EGLSurface));
  EGLBoolean done = real(display, surface);
  Presented(g_pEglDisplay);
  return done;
}
