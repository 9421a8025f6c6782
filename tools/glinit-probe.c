/* What setting GL up costs through GLX and through EGL on one X display: the
 * library's first call (which loads and starts the driver), then reading two
 * attributes of every config, in CPU and wall milliseconds; with a frame count,
 * then that many cleared frames presented in a window as large as the screen, in
 * CPU milliseconds a frame. A measuring aid for choosing the GL binding; it is not
 * part of the build:
 *   cc -O2 tools/glinit-probe.c -o glinit-probe -lEGL -lGL -lX11
 *   ./glinit-probe glx [frames]; ./glinit-probe egl [frames]   (one binding a process) */
#include <EGL/egl.h>
#include <GL/glx.h>
#include <stdio.h>
#include <stdlib.h>
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
  const int frames = argc > 2 ? atoi(argv[2]) : 0;
  if (frames <= 0) return 0;

  /* A window as large as the screen, on the binding's own choice of config. */
  const int width = DisplayWidth(dpy, DefaultScreen(dpy)), height = DisplayHeight(dpy, DefaultScreen(dpy));
  XVisualInfo pattern = {0}, *visual;
  int visuals = 0;
  EGLDisplay display = EGL_NO_DISPLAY;
  EGLSurface surface = EGL_NO_SURFACE;
  EGLConfig eglConfig = NULL;
  GLXFBConfig glxConfig = NULL;
  if (egl) {
    display = eglGetDisplay((EGLNativeDisplayType)dpy);
    const EGLint request[] = {EGL_SURFACE_TYPE, EGL_WINDOW_BIT, EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT,
                              EGL_DEPTH_SIZE, 24, EGL_NONE};
    EGLint n = 0;
    if (!eglChooseConfig(display, request, &eglConfig, 1, &n) || n < 1) return 1;
    EGLint id = 0;
    eglGetConfigAttrib(display, eglConfig, EGL_NATIVE_VISUAL_ID, &id);
    pattern.visualid = (VisualID)id;
    visual = XGetVisualInfo(dpy, VisualIDMask, &pattern, &visuals);
  } else {
    const int request[] = {GLX_DRAWABLE_TYPE, GLX_WINDOW_BIT, GLX_DOUBLEBUFFER, True, GLX_DEPTH_SIZE, 24, None};
    GLXFBConfig* chosen = glXChooseFBConfig(dpy, DefaultScreen(dpy), request, &count);
    if (!chosen || count < 1) return 1;
    glxConfig = chosen[0];
    visual = glXGetVisualFromFBConfig(dpy, glxConfig);
  }
  if (!visual) return 1;
  XSetWindowAttributes attributes = {0};
  attributes.colormap = XCreateColormap(dpy, RootWindow(dpy, DefaultScreen(dpy)), visual->visual, AllocNone);
  Window window = XCreateWindow(dpy, RootWindow(dpy, DefaultScreen(dpy)), 0, 0, (unsigned)width,
                                (unsigned)height, 0, visual->depth, InputOutput, visual->visual, CWColormap,
                                &attributes);
  XMapWindow(dpy, window);
  XSync(dpy, False);
  if (egl) {
    eglBindAPI(EGL_OPENGL_API);
    EGLContext context = eglCreateContext(display, eglConfig, EGL_NO_CONTEXT, NULL);
    surface = eglCreateWindowSurface(display, eglConfig, (EGLNativeWindowType)window, NULL);
    if (!context || !surface || !eglMakeCurrent(display, surface, surface, context)) return 1;
  } else {
    GLXContext context = glXCreateNewContext(dpy, glxConfig, GLX_RGBA_TYPE, NULL, True);
    if (!context || !glXMakeContextCurrent(dpy, window, window, context)) return 1;
  }
  double c3 = Ms(CLOCK_PROCESS_CPUTIME_ID), w3 = Ms(CLOCK_MONOTONIC);
  for (int f = 0; f < frames; ++f) {
    glClearColor((float)(f & 1), 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    if (egl)
      eglSwapBuffers(display, surface);
    else
      glXSwapBuffers(dpy, window);
  }
  glFinish();
  XSync(dpy, False);
  double c4 = Ms(CLOCK_PROCESS_CPUTIME_ID), w4 = Ms(CLOCK_MONOTONIC);
  printf("%s: %d cleared frames of %d x %d presented, %.2f ms CPU (%.2f wall) a frame\n", egl ? "EGL" : "GLX",
         frames, width, height, (c4 - c3) / frames, (w4 - w3) / frames);
  return 0;
}
