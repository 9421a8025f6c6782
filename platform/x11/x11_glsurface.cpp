// GL surfaces on X windows through GLX 1.3: framebuffer configs described as the
// pixel-format score reads them, a GL child window with the chosen config's
// visual inside the target (so any host visual works), contexts, swaps.
// Inside another client's window (a preview, XScreenSaver's) the GL draws into a
// pixmap of ours that each swap copies to the child: the host, and the child with
// it, may be destroyed at any moment, and a renderer handed a window that no
// longer exists reads its size as garbage (Mesa's software one then crashes),
// while a copy to a gone window is an X error, which is harmless.
#include "platform/glsurface.h"

#include <GL/glx.h>
#include <GL/glxext.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <set>

#include "platform/linux/linux_extensions.h"
#include "platform/startuptrace.h"
#include "platform/x11/x11_display.h"
#include "platform/x11/x11_records.h"

namespace plat::x11 {
namespace {

struct Surface {
  HWND window = 0;
  int index = 0;  // 0 until a config is set, then permanent for the window
  GLXFBConfig config = nullptr;
  Window child = 0;
  Colormap colormap = 0;
  GLXDrawable drawable = 0;  // a GLX window on the child, or the off-screen pixmap's
  Pixmap pixmap = 0;         // off screen: what the GL draws, copied to the child
  unsigned width = 0, height = 0;  // the pixmap's
  GC gc = nullptr;
};

std::map<GLDC, Surface> g_surfaces;
std::map<GLRC, GLXContext> g_contexts;
GLDC g_hNextDC = 1;
GLRC g_hNextRC = 1;
GLDC g_hCurrentDC = 0;
GLRC g_hCurrentRC = 0;
GLXFBConfig* g_pConfigs = nullptr;
int g_nConfigs = 0;
int g_nSoftware = -1;  // unknown until first asked

int Screen(Display* dpy) { return DefaultScreen(dpy); }

bool LoadConfigs(Display* dpy) {
  if (!g_pConfigs) g_pConfigs = glXGetFBConfigs(dpy, Screen(dpy), &g_nConfigs);
  return g_pConfigs && g_nConfigs > 0;
}

int Attribute(Display* dpy, GLXFBConfig config, int attribute) {
  int value = 0;
  glXGetFBConfigAttrib(dpy, config, attribute, &value);
  return value;
}

bool HasExtension(Display* dpy, const char* name) {
  return ListsExtension(glXQueryExtensionsString(dpy, Screen(dpy)), name);
}

// GLX has no flag for "drawn by the system's software renderer" (GLX_SLOW_CONFIG
// marks Mesa's accumulation-buffer configs, not the renderer). The renderer is
// one per screen, so every config gets the same answer: Mesa's renderer query
// says whether it is accelerated (llvmpipe, softpipe and swrast are not). A libGL
// without the query is taken as a driver's own, unless software is forced.
bool SoftwareRenderer(Display* dpy) {
  if (g_nSoftware >= 0) return g_nSoftware != 0;
  g_nSoftware = std::getenv("LIBGL_ALWAYS_SOFTWARE") ? 1 : 0;
  using QueryInteger = Bool (*)(Display*, int, int, int, unsigned*);
  auto query = reinterpret_cast<QueryInteger>(
      glXGetProcAddress(reinterpret_cast<const GLubyte*>("glXQueryRendererIntegerMESA")));
  unsigned accelerated = 0;
  if (query && HasExtension(dpy, "GLX_MESA_query_renderer") &&
      query(dpy, Screen(dpy), 0, GLX_RENDERER_ACCELERATED_MESA, &accelerated))
    g_nSoftware = accelerated ? 0 : 1;
  return g_nSoftware != 0;
}

// Visuals of the screen's own depth. A config on a deeper (ARGB) visual would make
// every pixel cleared with alpha 0 transparent under a compositing manager, and a
// multisampled one has no counterpart among classic pixel formats: neither is
// offered as drawing to a window, so the score never lands on them by the
// highest-index tie-break.
std::set<VisualID> WindowVisuals(Display* dpy) {
  XVisualInfo pattern{};
  pattern.screen = Screen(dpy);
  pattern.depth = DefaultDepth(dpy, Screen(dpy));
  int count = 0;
  std::set<VisualID> out;
  XVisualInfo* visuals = XGetVisualInfo(dpy, VisualScreenMask | VisualDepthMask, &pattern, &count);
  for (int i = 0; i < count; ++i) out.insert(visuals[i].visualid);
  if (visuals) XFree(visuals);
  return out;
}

Surface* FindSurface(GLDC dc) {
  auto it = g_surfaces.find(dc);
  return it == g_surfaces.end() ? nullptr : &it->second;
}

void Release(Display* dpy) {
  glXMakeContextCurrent(dpy, None, None, nullptr);
  g_hCurrentDC = 0;
  g_hCurrentRC = 0;
}

// Another client's window can be destroyed under us, and the child with it.
bool HostedByAnotherClient(const WindowRecord& record) {
  return record.kind == WindowKind::Child && record.parent == 0 && record.nativeParent != 0;
}

// The pixmap the GL draws into in place of the child, with its GLX drawable, at
// the size given; false when the config cannot draw into pixmaps (the surface then
// draws into the child) and the surface unchanged.
bool MakeOffscreen(Display* dpy, Surface& surface, int depth, int width, int height) {
  if (!(Attribute(dpy, surface.config, GLX_DRAWABLE_TYPE) & GLX_PIXMAP_BIT)) return false;
  unsigned w = static_cast<unsigned>(width > 0 ? width : 1), h = static_cast<unsigned>(height > 0 ? height : 1);
  ClearXError();
  Pixmap pixmap = XCreatePixmap(dpy, RootWindow(dpy, Screen(dpy)), w, h, static_cast<unsigned>(depth));
  GLXPixmap drawable = glXCreatePixmap(dpy, surface.config, pixmap, nullptr);
  XSync(dpy, False);
  if (!drawable || LastXError()) {
    if (drawable) glXDestroyPixmap(dpy, drawable);
    XFreePixmap(dpy, pixmap);
    return false;
  }
  surface.pixmap = pixmap;
  surface.drawable = drawable;
  surface.width = w;
  surface.height = h;
  return true;
}

void DestroyDrawable(Display* dpy, Surface& surface) {
  if (!surface.drawable) return;
  if (surface.pixmap) {
    glXDestroyPixmap(dpy, surface.drawable);
    XFreePixmap(dpy, surface.pixmap);
  } else {
    glXDestroyWindow(dpy, surface.drawable);
  }
}

// A pixmap is a single-buffered drawable: the frame is drawn straight into it.
bool BindDrawable(Display* dpy, const Surface& surface, GLXContext context) {
  if (!glXMakeContextCurrent(dpy, surface.drawable, surface.drawable, context)) return false;
  if (surface.pixmap) {
    glDrawBuffer(GL_FRONT);
    glReadBuffer(GL_FRONT);
  }
  return true;
}

void DestroySurface(Display* dpy, Surface& surface, bool nativeGone) {
  DestroyDrawable(dpy, surface);
  if (surface.gc) XFreeGC(dpy, surface.gc);
  if (surface.child && !nativeGone) XDestroyWindow(dpy, surface.child);
  if (surface.colormap) XFreeColormap(dpy, surface.colormap);
}

void TraceFirstFrame(Display* dpy) {
  static bool s_bTraced = false;
  if (s_bTraced) return;
  s_bTraced = true;
  if (!std::getenv("KIRU_TRACE_FIRST_FRAME")) return;
  XSync(dpy, False);  // the picture has reached the server
  plat::TraceFirstPresent();
}

// GLX's best config for the request that is on a window visual, as an index of
// the full list; 0 for none.
int ChooseOnWindowVisual(Display* dpy, int colourBits, int depthBits) {
  const int request[] = {GLX_X_RENDERABLE, True, GLX_DRAWABLE_TYPE, GLX_WINDOW_BIT,
                         GLX_RENDER_TYPE, GLX_RGBA_BIT, GLX_DOUBLEBUFFER, True,
                         GLX_BUFFER_SIZE, colourBits, GLX_DEPTH_SIZE, depthBits, None};
  int count = 0;
  GLXFBConfig* chosen = glXChooseFBConfig(dpy, Screen(dpy), request, &count);
  if (!chosen) return 0;
  // GLX's order knows nothing of visual depths: take its best on a window visual.
  std::set<VisualID> windowVisuals = WindowVisuals(dpy);
  int index = 0;
  for (int k = 0; k < count && !index; ++k) {
    if (!windowVisuals.count(static_cast<VisualID>(Attribute(dpy, chosen[k], GLX_VISUAL_ID))) ||
        Attribute(dpy, chosen[k], GLX_SAMPLE_BUFFERS) != 0)
      continue;
    int id = Attribute(dpy, chosen[k], GLX_FBCONFIG_ID);
    for (int i = 0; i < g_nConfigs && !index; ++i)
      if (Attribute(dpy, g_pConfigs[i], GLX_FBCONFIG_ID) == id) index = i + 1;
  }
  XFree(chosen);
  return index;
}

}  // namespace

void ReleaseSurfacesOf(HWND window, bool nativeGone) {
  Display* dpy = GetDisplay();
  if (!dpy) return;
  for (auto it = g_surfaces.begin(); it != g_surfaces.end();) {
    if (it->second.window != window) {
      ++it;
      continue;
    }
    if (g_hCurrentDC == it->first) Release(dpy);
    DestroySurface(dpy, it->second, nativeGone);
    it = g_surfaces.erase(it);
  }
}

void ResizeSurfacesOf(HWND window, int width, int height) {
  Display* dpy = GetDisplay();
  if (!dpy) return;
  for (auto& [dc, surface] : g_surfaces) {
    if (surface.window != window || !surface.child) continue;
    XResizeWindow(dpy, surface.child, static_cast<unsigned>(width > 0 ? width : 1),
                  static_cast<unsigned>(height > 0 ? height : 1));
    if (!surface.pixmap) continue;
    // A pixmap keeps its size: a new one takes its place, bound first if the old is.
    Surface old = surface;
    XVisualInfo* visual = glXGetVisualFromFBConfig(dpy, surface.config);
    bool made = visual && MakeOffscreen(dpy, surface, visual->depth, width, height);
    if (visual) XFree(visual);
    if (!made) continue;  // the old size draws on, cut or partly shown
    if (g_hCurrentDC == dc && !BindDrawable(dpy, surface, g_contexts[g_hCurrentRC])) Release(dpy);
    DestroyDrawable(dpy, old);
  }
}

}  // namespace plat::x11

namespace plat::x11 {

// One surface per window, kept until the window goes: the config set on it is
// permanent, as a pixel format is for a window of its own device context.
GLDC GetGLDC(HWND window) {
  WindowRecord* record = FindRecord(window);
  if (!record || record->desktop || !GetDisplay()) return 0;
  for (auto& [dc, surface] : g_surfaces)
    if (surface.window == window) return dc;
  GLDC dc = g_hNextDC++;
  g_surfaces[dc].window = window;
  return dc;
}

bool ReleaseGLDC(HWND window, GLDC dc) {
  Surface* surface = FindSurface(dc);
  return surface && surface->window == window;
}

std::vector<FbConfig> DescribeFbConfigs(GLDC dc) {
  std::vector<FbConfig> out;
  Display* dpy = GetDisplay();
  if (!dpy || !FindSurface(dc) || !LoadConfigs(dpy)) return out;
  bool software = SoftwareRenderer(dpy);
  std::set<VisualID> windowVisuals = WindowVisuals(dpy);
  out.reserve(static_cast<size_t>(g_nConfigs));
  for (int i = 0; i < g_nConfigs; ++i) {
    GLXFBConfig config = g_pConfigs[i];
    FbConfig described;
    described.index = i + 1;
    described.software = software;
    out.push_back(described);
    // Every query walks GLX's list of configs (hundreds on Mesa), so describing all
    // of them in full took tens of milliseconds of start-up. A config without a
    // single-sampled visual of the screen's depth draws into no window of ours, and
    // that alone decides its score: it stays described as such.
    if (!windowVisuals.count(static_cast<VisualID>(Attribute(dpy, config, GLX_VISUAL_ID))) ||
        Attribute(dpy, config, GLX_SAMPLE_BUFFERS) != 0)
      continue;
    FbConfig& full = out.back();
    full.bufferSize = Attribute(dpy, config, GLX_BUFFER_SIZE);
    full.depthSize = Attribute(dpy, config, GLX_DEPTH_SIZE);
    full.rgba = (Attribute(dpy, config, GLX_RENDER_TYPE) & GLX_RGBA_BIT) != 0;
    full.doubleBuffer = Attribute(dpy, config, GLX_DOUBLEBUFFER) != 0;
    full.drawToWindow = (Attribute(dpy, config, GLX_DRAWABLE_TYPE) & GLX_WINDOW_BIT) != 0;
    full.supportGL = Attribute(dpy, config, GLX_X_RENDERABLE) != 0;
  }
  return out;
}

// The system's closest match, as ChoosePixelFormat answers: the request, else a
// shallower depth buffer, else any colour depth (a 16-bit screen offers no 32-bit
// config), else both. Only a screen without any GL window config has none.
int ChooseFbConfig(GLDC dc, int colourBits, int depthBits) {
  Display* dpy = GetDisplay();
  if (!dpy || !FindSurface(dc) || !LoadConfigs(dpy)) return 0;
  const int tries[][2] = {{colourBits, depthBits}, {colourBits, 1}, {0, depthBits}, {0, 1}};
  for (const auto& [colour, depth] : tries)
    if (int index = ChooseOnWindowVisual(dpy, colour, depth)) return index;
  return 0;
}

bool SetFbConfig(GLDC dc, int index) {
  Display* dpy = GetDisplay();
  Surface* surface = FindSurface(dc);
  if (!dpy || !surface || !LoadConfigs(dpy) || index < 1 || index > g_nConfigs) return false;
  if (surface->index) return surface->index == index;
  WindowRecord* record = FindRecord(surface->window);
  RECT client;
  if (!record || !x11::GetClientRect(surface->window, &client)) return false;
  GLXFBConfig config = g_pConfigs[index - 1];
  XVisualInfo* visual = glXGetVisualFromFBConfig(dpy, config);
  if (!visual) return false;
  Window root = RootWindow(dpy, Screen(dpy));
  XSetWindowAttributes attributes{};
  attributes.colormap = XCreateColormap(dpy, root, visual->visual, AllocNone);
  attributes.border_pixel = 0;
  attributes.background_pixel = 0;
  // Input passes up to the window of ours; its exposures are told to that window.
  attributes.event_mask = ExposureMask;
  ClearXError();
  Window child = XCreateWindow(
      dpy, record->xid, 0, 0, static_cast<unsigned>(client.right > 0 ? client.right : 1),
      static_cast<unsigned>(client.bottom > 0 ? client.bottom : 1), 0, visual->depth, InputOutput,
      visual->visual, CWColormap | CWBorderPixel | CWBackPixel | CWEventMask, &attributes);
  int depth = visual->depth;
  XFree(visual);
  XMapWindow(dpy, child);
  XSync(dpy, False);
  bool childMade = !LastXError();
  Surface made = *surface;
  made.config = config;
  if (childMade &&
      (!HostedByAnotherClient(*record) || !MakeOffscreen(dpy, made, depth, client.right, client.bottom))) {
    ClearXError();
    made.drawable = glXCreateWindow(dpy, config, child, nullptr);
    XSync(dpy, False);
  }
  if (!childMade || !made.drawable || LastXError()) {
    DestroyDrawable(dpy, made);
    XDestroyWindow(dpy, child);
    XFreeColormap(dpy, attributes.colormap);
    return false;
  }
  made.index = index;
  made.child = child;
  made.colormap = attributes.colormap;
  *surface = made;
  if (surface->pixmap) {
    XGCValues values{};
    values.graphics_exposures = False;  // no NoExpose event for every copy
    surface->gc = XCreateGC(dpy, surface->pixmap, GCGraphicsExposures, &values);
  }
  return true;
}

GLRC CreateGLRC(GLDC dc) {
  Display* dpy = GetDisplay();
  Surface* surface = FindSurface(dc);
  if (!dpy || !surface || !surface->config) return 0;
  GLXContext context = glXCreateNewContext(dpy, surface->config, GLX_RGBA_TYPE, nullptr, True);
  if (!context) return 0;
  GLRC rc = g_hNextRC++;
  g_contexts[rc] = context;
  return rc;
}

bool MakeCurrent(GLDC dc, GLRC rc) {
  Display* dpy = GetDisplay();
  if (!dpy) return false;
  if (dc == 0 && rc == 0) {
    Release(dpy);
    return true;
  }
  Surface* surface = FindSurface(dc);
  auto context = g_contexts.find(rc);
  if (!surface || !surface->drawable || context == g_contexts.end()) return false;
  if (!BindDrawable(dpy, *surface, context->second)) return false;
  g_hCurrentDC = dc;
  g_hCurrentRC = rc;
  return true;
}

bool DeleteGLRC(GLRC rc) {
  Display* dpy = GetDisplay();
  auto context = g_contexts.find(rc);
  if (!dpy || context == g_contexts.end()) return false;
  if (g_hCurrentRC == rc) Release(dpy);
  glXDestroyContext(dpy, context->second);
  g_contexts.erase(context);
  return true;
}

bool SwapBuffers(GLDC dc) {
  Display* dpy = GetDisplay();
  Surface* surface = FindSurface(dc);
  if (!dpy || !surface || !surface->drawable) return false;
  if (surface->pixmap) {
    glFinish();  // the frame has reached the pixmap
    XCopyArea(dpy, surface->pixmap, surface->child, surface->gc, 0, 0, surface->width, surface->height, 0, 0);
    XFlush(dpy);
  } else {
    glXSwapBuffers(dpy, surface->drawable);
  }
  TraceFirstFrame(dpy);
  // The swap reads replies, and Xlib queues the events that came with them
  // where polling the connection will not see them.
  DrainEvents();
  return true;
}

}  // namespace plat::x11
