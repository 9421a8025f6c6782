/* What setting GL up costs through GLX and through EGL on one X display: the
 * library's first call (which loads and starts the driver), then reading two
 * attributes of every config, in CPU and wall milliseconds. A measuring aid for
 * choosing the GL binding; it is not part of the build:
 *   cc -O2 tools/glinit-probe.c -o glinit-probe -lEGL -lGL -lX11
 *   ./glinit-probe glx; ./glinit-probe egl        (one binding per process) */
#include <EGL/egl.h>
#include <GL/glx.h>
#include <stdio.h>
#include <string.h>
#include <time.h>

static double Ms(clockid_t clock) {
  struct timespec t;
  clock_gettime(clock, &t);
  return (double)t.tv_sec * 1e3 + (double)t.tv_nsec / 1e6;
}

int main(int argc, char** argv) {
  const int egl = argc > 1 && strcmp(argv[1], "egl") == 0;
  Display* dpy = XOpenDisplay(NULL);
  if (!dpy) return 1;
  double c0 = Ms(CLOCK_PROCESS_CPUTIME_ID), w0 = Ms(CLOCK_MONOTONIC);
  int count = 0, sum = 0;
  double c1, w1;
  if (egl) {
    EGLDisplay display = eglGetDisplay((EGLNativeDisplayType)dpy);
    EGLint major, minor;
    if (!eglInitialize(display, &major, &minor)) return 1;
    c1 = Ms(CLOCK_PROCESS_CPUTIME_ID), w1 = Ms(CLOCK_MONOTONIC);
    static EGLConfig configs[4096];
    eglGetConfigs(display, configs, 4096, &count);
    for (int i = 0; i < count; ++i) {
      EGLint value = 0;
      eglGetConfigAttrib(display, configs[i], EGL_DEPTH_SIZE, &value), sum += value;
      eglGetConfigAttrib(display, configs[i], EGL_BUFFER_SIZE, &value), sum += value;
    }
  } else {
    GLXFBConfig* configs = glXGetFBConfigs(dpy, DefaultScreen(dpy), &count);
    c1 = Ms(CLOCK_PROCESS_CPUTIME_ID), w1 = Ms(CLOCK_MONOTONIC);
    for (int i = 0; i < count; ++i) {
      int value = 0;
      glXGetFBConfigAttrib(dpy, configs[i], GLX_DEPTH_SIZE, &value), sum += value;
      glXGetFBConfigAttrib(dpy, configs[i], GLX_BUFFER_SIZE, &value), sum += value;
    }
  }
  double c2 = Ms(CLOCK_PROCESS_CPUTIME_ID), w2 = Ms(CLOCK_MONOTONIC);
  printf("%s: start %.1f ms CPU (%.1f wall), %d configs read in %.1f ms CPU (%.1f wall)%s\n",
         egl ? "EGL" : "GLX", c1 - c0, w1 - w0, count, c2 - c1, w2 - w1, sum < 0 ? "!" : "");
  return 0;
}
