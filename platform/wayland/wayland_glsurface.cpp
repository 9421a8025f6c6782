// GL on the saver's surfaces through EGL, bound to desktop OpenGL (Mesa's
// compatibility profile, which the fixed-function renderer needs). The saver
// draws one picture of the whole window, as on X. Over one output it draws
// straight into that output's surface; over several, into a framebuffer object
// of the window's size, of which each output's surface takes its own part. A
// surface is given a picture only when the compositor has asked it for a frame,
// so an output that is not shown costs nothing. EGL configs are described field
// by field as pixel formats are, for the renderer's score.
#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <map>

#include "platform/clock.h"
#include "platform/closesignal.h"
#include "platform/linux/linux_extensions.h"
#include "platform/startuptrace.h"
#include "platform/wayland/wayland_records.h"
#include "platform/wayland/wayland_shm.h"

namespace plat::wayland {
namespace {

constexpr DWORD ASLEEP_AFTER_MS = 1000;  // no output has asked for a frame for this long
constexpr DWORD FRAME_WAIT_MS = 100;     // the longest a finished picture waits to be asked for

struct DeviceContext {
  HWND window = 0;
  int index = 0;  // 0 until a config is set, then permanent for the window
  EGLConfig config = nullptr;
};

struct RenderContext {
  EGLContext context = EGL_NO_CONTEXT;
  EGLConfig config = nullptr;
  GLuint fbo = 0, colour = 0, depth = 0;  // made when first needed
  int width = 0, height = 0;
  Surface* direct = nullptr;  // the surface drawn into straight, or the framebuffer object
};

struct FboCalls {
  PFNGLGENFRAMEBUFFERSPROC genFramebuffers;
  PFNGLBINDFRAMEBUFFERPROC bindFramebuffer;
  PFNGLFRAMEBUFFERRENDERBUFFERPROC framebufferRenderbuffer;
  PFNGLCHECKFRAMEBUFFERSTATUSPROC checkFramebufferStatus;
  PFNGLGENRENDERBUFFERSPROC genRenderbuffers;
  PFNGLBINDRENDERBUFFERPROC bindRenderbuffer;
  PFNGLRENDERBUFFERSTORAGEPROC renderbufferStorage;
  PFNGLBLITFRAMEBUFFERPROC blitFramebuffer;
};

EGLDisplay g_pEgl = EGL_NO_DISPLAY;
bool g_bEglTried = false;
std::vector<EGLConfig> g_Configs;
bool g_bSoftware = false;
FboCalls g_Fbo{};
std::map<GLDC, DeviceContext> g_DCs;
std::map<GLRC, RenderContext> g_RCs;
std::uintptr_t g_nNextHandle = 1;
GLRC g_hCurrentRC = 0;

template <typename Call>
bool Load(Call& call, const char* name) {
  call = reinterpret_cast<Call>(eglGetProcAddress(name));
  return call != nullptr;
}

// Mesa names its software device (llvmpipe, softpipe) as such.
bool SoftwareDevice(EGLDisplay display) {
  if (std::getenv("LIBGL_ALWAYS_SOFTWARE")) return true;
  PFNEGLQUERYDISPLAYATTRIBEXTPROC queryDisplay;
  PFNEGLQUERYDEVICESTRINGEXTPROC queryDevice;
  EGLAttrib device = 0;
  return Load(queryDisplay, "eglQueryDisplayAttribEXT") && Load(queryDevice, "eglQueryDeviceStringEXT") &&
         queryDisplay(display, EGL_DEVICE_EXT, &device) && device &&
         ListsExtension(queryDevice(reinterpret_cast<EGLDeviceEXT>(device), EGL_EXTENSIONS), "EGL_MESA_device_software");
}

bool InitEgl() {
  if (g_bEglTried) return g_pEgl != EGL_NO_DISPLAY;
  g_bEglTried = true;
  if (!g_Globals.display) return false;
  EGLDisplay display = eglGetPlatformDisplay(EGL_PLATFORM_WAYLAND_KHR, g_Globals.display, nullptr);
  if (display == EGL_NO_DISPLAY || !eglInitialize(display, nullptr, nullptr)) return false;
  FboCalls& f = g_Fbo;
  if (!eglBindAPI(EGL_OPENGL_API) || !Load(f.genFramebuffers, "glGenFramebuffers") ||
      !Load(f.bindFramebuffer, "glBindFramebuffer") || !Load(f.framebufferRenderbuffer, "glFramebufferRenderbuffer") ||
      !Load(f.checkFramebufferStatus, "glCheckFramebufferStatus") || !Load(f.genRenderbuffers, "glGenRenderbuffers") ||
      !Load(f.bindRenderbuffer, "glBindRenderbuffer") || !Load(f.renderbufferStorage, "glRenderbufferStorage") ||
      !Load(f.blitFramebuffer, "glBlitFramebuffer")) {
    eglTerminate(display);
    return false;
  }
  g_pEgl = display;
  EGLint count = 0;
  eglGetConfigs(display, nullptr, 0, &count);
  g_Configs.resize(static_cast<std::size_t>(count > 0 ? count : 0));
  eglGetConfigs(display, g_Configs.data(), count, &count);
  g_Configs.resize(static_cast<std::size_t>(count > 0 ? count : 0));
  g_bSoftware = SoftwareDevice(display);
  return true;
}

EGLint Attribute(EGLConfig config, EGLint attribute) {
  EGLint value = 0;
  eglGetConfigAttrib(g_pEgl, config, attribute, &value);
  return value;
}

// A config that draws into windows: single-sampled (multisampling has no
// counterpart among classic pixel formats) and without alpha. The picture is
// cleared to alpha 0, and a surface with alpha would show the desktop through it,
// as an ARGB visual would under an X compositing manager.
bool WindowConfig(EGLConfig config) {
  return (Attribute(config, EGL_SURFACE_TYPE) & EGL_WINDOW_BIT) && Attribute(config, EGL_SAMPLE_BUFFERS) == 0 &&
         Attribute(config, EGL_ALPHA_SIZE) == 0;
}

// Colour bits as a pixel format counts them: a pixel's size, so XRGB8888, which
// EGL counts as 24 bits, is a 32-bit format.
int ColourBits(EGLConfig config) {
  int bits = Attribute(config, EGL_BUFFER_SIZE);
  return bits == 24 && Attribute(config, EGL_ALPHA_SIZE) == 0 ? 32 : bits;
}

DeviceContext* FindDC(GLDC dc) {
  auto it = g_DCs.find(dc);
  return it == g_DCs.end() ? nullptr : &it->second;
}

RenderContext* FindRC(GLRC rc) {
  auto it = g_RCs.find(rc);
  return it == g_RCs.end() ? nullptr : &it->second;
}

const DeviceContext* SaverDC() {
  SaverWindow* saver = TheSaver();
  for (auto& [dc, d] : g_DCs)
    if (saver && d.window == saver->hwnd && d.config) return &d;
  return nullptr;
}

// Something to make the context current on: a surface of the saver's other than
// `except`, else none (Mesa's surfaceless contexts draw into their framebuffer objects).
EGLSurface AnyDrawable(const Surface* except) {
  if (SaverWindow* saver = TheSaver())
    for (auto& s : saver->surfaces)
      if (s.get() != except && s->eglSurface != EGL_NO_SURFACE) return s->eglSurface;
  return EGL_NO_SURFACE;
}

// The picture's colour and depth buffers, at the window's size.
void SizeTargets(RenderContext& r, int width, int height) {
  width = width > 0 ? width : 1;
  height = height > 0 ? height : 1;
  FboCalls& f = g_Fbo;
  int depthBits = Attribute(r.config, EGL_DEPTH_SIZE);
  GLenum depthFormat = depthBits <= 16 ? GL_DEPTH_COMPONENT16 : depthBits <= 24 ? GL_DEPTH_COMPONENT24 : GL_DEPTH_COMPONENT32;
  // Without alpha, as the surfaces it is copied to (the picture is cleared to alpha 0).
  f.bindRenderbuffer(GL_RENDERBUFFER, r.colour);
  f.renderbufferStorage(GL_RENDERBUFFER, GL_RGB8, width, height);
  f.bindRenderbuffer(GL_RENDERBUFFER, r.depth);
  f.renderbufferStorage(GL_RENDERBUFFER, depthFormat, width, height);
  r.width = width;
  r.height = height;
}

bool MakeTargets(RenderContext& r, HWND window) {
  RECT client{};
  wayland::GetClientRect(window, &client);
  FboCalls& f = g_Fbo;
  f.genFramebuffers(1, &r.fbo);
  f.genRenderbuffers(1, &r.colour);
  f.genRenderbuffers(1, &r.depth);
  SizeTargets(r, client.right, client.bottom);
  f.bindFramebuffer(GL_FRAMEBUFFER, r.fbo);
  f.framebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, r.colour);
  f.framebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, r.depth);
  return f.checkFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
}

void OnFrameDone(void* data, wl_callback* callback, std::uint32_t) {
  wl_callback_destroy(callback);
  static_cast<Surface*>(data)->frame = nullptr;
}

const wl_callback_listener FRAME{OnFrameDone};

void RequestFrame(Surface& s);

// The output's part of the picture onto its surface. A surface configured at
// another size than its output's (a fullscreen window that the compositor sized
// to another output, or to the whole layout) shows it centred with the output's
// aspect, never stretched. GL counts rows from the bottom.
void Present(Surface& s, const RenderContext& r, const RECT& window) {
  RECT o = PixelRect(*s.output);
  int width = o.right - o.left, height = o.bottom - o.top;
  int left = o.left - window.left, bottom = r.height - (o.bottom - window.top);
  RECT into = FitCentred(width, height, s.bufferWidth, s.bufferHeight);
  FboCalls& f = g_Fbo;
  f.bindFramebuffer(GL_READ_FRAMEBUFFER, r.fbo);
  f.bindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
  if (into.right - into.left != s.bufferWidth || into.bottom - into.top != s.bufferHeight)
    glClear(GL_COLOR_BUFFER_BIT);  // the bars beside it
  bool same = into.right - into.left == width && into.bottom - into.top == height;
  f.blitFramebuffer(left, bottom, left + width, bottom + height, into.left, s.bufferHeight - into.bottom, into.right,
                    s.bufferHeight - into.top, GL_COLOR_BUFFER_BIT, same ? GL_NEAREST : GL_LINEAR);
  RequestFrame(s);
  if (eglSwapBuffers(g_pEgl, s.eglSurface)) s.blank.reset();  // the black picture is replaced
}

bool Ready(const Surface& s) { return s.eglSurface != EGL_NO_SURFACE && !s.frame && !s.closed; }

// Frames are paced by the compositor: a finished picture waits until some output
// has asked for its next frame (the outputs not asked yet get the one after), so
// no frame is drawn that no output shows. An output that is not shown stops
// asking; after a while the picture stops waiting for it (see IsDisplayAsleep).
void WaitForFrameRequest(const SaverWindow& saver) {
  if (std::none_of(saver.surfaces.begin(), saver.surfaces.end(), [](auto& s) { return s->eglSurface != EGL_NO_SURFACE; }))
    return;  // nothing that could ask
  auto anyReady = [&] { return std::any_of(saver.surfaces.begin(), saver.surfaces.end(), [](auto& s) { return Ready(*s); }); };
  DWORD start = GetTickCount();
  // A close signal ends the wait: the picture is not wanted any more.
  for (DWORD waited = 0; !anyReady() && waited < FRAME_WAIT_MS && !CloseSignalPending();
       waited = GetTickCount() - start)
    WaitForEvents(static_cast<int>(FRAME_WAIT_MS - waited));
}

// The one surface that shows the whole window pixel for pixel, if there is one:
// drawn into straight.
Surface* DirectSurface(const SaverWindow& saver) {
  if (saver.surfaces.size() != 1) return nullptr;
  Surface& s = *saver.surfaces.front();
  RECT o = PixelRect(*s.output);
  bool whole = o.left == saver.rect.left && o.top == saver.rect.top && o.right == saver.rect.right &&
               o.bottom == saver.rect.bottom && s.bufferWidth == o.right - o.left &&
               s.bufferHeight == o.bottom - o.top;
  return whole && s.eglSurface != EGL_NO_SURFACE ? &s : nullptr;
}

// The context draws where the next picture goes: the one surface, or the
// framebuffer object (with the context on any surface, or on none).
bool Retarget(RenderContext& r, HWND window) {
  SaverWindow* saver = FindSaver(window);
  r.direct = saver ? DirectSurface(*saver) : nullptr;
  EGLSurface drawable = r.direct ? r.direct->eglSurface : AnyDrawable(nullptr);
  if (eglGetCurrentContext() != r.context || eglGetCurrentSurface(EGL_DRAW) != drawable)
    if (!eglMakeCurrent(g_pEgl, drawable, drawable, r.context)) return false;
  if (r.direct) {
    g_Fbo.bindFramebuffer(GL_FRAMEBUFFER, 0);
    return true;
  }
  if (!r.fbo && !MakeTargets(r, window)) return false;
  RECT client{};
  wayland::GetClientRect(window, &client);
  if (r.width != client.right || r.height != client.bottom) SizeTargets(r, client.right, client.bottom);
  g_Fbo.bindFramebuffer(GL_FRAMEBUFFER, r.fbo);
  return true;
}

void RequestFrame(Surface& s) {
  if (!s.intervalSet) s.intervalSet = eglSwapInterval(g_pEgl, 0);  // paced by frame callbacks instead
  s.frame = wl_surface_frame(s.surface);
  wl_callback_add_listener(s.frame, &FRAME, &s);
  s.frameAsked = GetTickCount();
}

}  // namespace

void AttachGL(Surface& s) {
  const DeviceContext* d = SaverDC();
  if (!d || !s.configured || s.closed || s.eglSurface != EGL_NO_SURFACE) return;
  ScaleSurface(s);
  s.eglWindow = wl_egl_window_create(s.surface, s.bufferWidth, s.bufferHeight);
  if (s.eglWindow) s.eglSurface = eglCreatePlatformWindowSurface(g_pEgl, d->config, s.eglWindow, nullptr);
  if (s.eglSurface == EGL_NO_SURFACE && s.eglWindow) {
    wl_egl_window_destroy(s.eglWindow);
    s.eglWindow = nullptr;
  }
}

void DetachGL(Surface& s) {
  if (s.frame) wl_callback_destroy(s.frame);
  s.frame = nullptr;
  if (s.eglSurface != EGL_NO_SURFACE) {
    // The context moves off a surface that goes.
    EGLSurface gone = s.eglSurface;
    s.eglSurface = EGL_NO_SURFACE;
    RenderContext* r = FindRC(g_hCurrentRC);
    if (r && r->direct == &s)
      Retarget(*r, TheSaver()->hwnd);
    else if (eglGetCurrentSurface(EGL_DRAW) == gone)
      eglMakeCurrent(g_pEgl, AnyDrawable(&s), AnyDrawable(&s), eglGetCurrentContext());
    eglDestroySurface(g_pEgl, gone);
  }
  if (s.eglWindow) wl_egl_window_destroy(s.eglWindow);
  s.eglWindow = nullptr;
  s.intervalSet = false;
}

void FitGLTargets(int, int) {
  RenderContext* r = FindRC(g_hCurrentRC);
  if (r && TheSaver()) Retarget(*r, TheSaver()->hwnd);
}

GLDC GetGLDC(HWND window) {
  if (!FindSaver(window) || !InitEgl()) return 0;
  for (auto& [dc, d] : g_DCs)
    if (d.window == window) return dc;
  GLDC dc = g_nNextHandle++;
  g_DCs[dc].window = window;
  return dc;
}

bool ReleaseGLDC(HWND window, GLDC dc) {
  DeviceContext* d = FindDC(dc);
  return d && d->window == window;
}

std::vector<FbConfig> DescribeFbConfigs(GLDC dc) {
  std::vector<FbConfig> out;
  if (!FindDC(dc)) return out;
  for (std::size_t i = 0; i < g_Configs.size(); ++i) {
    EGLConfig config = g_Configs[i];
    FbConfig described;
    described.index = static_cast<int>(i) + 1;
    described.software = g_bSoftware;
    if (WindowConfig(config)) {
      described.bufferSize = ColourBits(config);
      described.depthSize = Attribute(config, EGL_DEPTH_SIZE);
      described.rgba = Attribute(config, EGL_COLOR_BUFFER_TYPE) == EGL_RGB_BUFFER;
      described.doubleBuffer = true;  // an EGL window surface always has a back buffer
      described.drawToWindow = true;
      described.supportGL = (Attribute(config, EGL_RENDERABLE_TYPE) & EGL_OPENGL_BIT) != 0;
    }
    out.push_back(described);
  }
  return out;
}

// As ChoosePixelFormat answers: the request, else a shallower depth buffer, else
// any colour depth, else both.
int ChooseFbConfig(GLDC dc, int colourBits, int depthBits) {
  if (!FindDC(dc)) return 0;
  const int tries[][2] = {{colourBits, depthBits}, {colourBits, 1}, {0, depthBits}, {0, 1}};
  for (const auto& [colour, depth] : tries) {
    const EGLint request[] = {EGL_SURFACE_TYPE, EGL_WINDOW_BIT, EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT,
                              EGL_COLOR_BUFFER_TYPE, EGL_RGB_BUFFER, EGL_DEPTH_SIZE, depth, EGL_NONE};
    EGLint count = 0;
    EGLConfig chosen[256];
    if (!eglChooseConfig(g_pEgl, request, chosen, 256, &count)) continue;
    for (EGLint k = 0; k < count; ++k) {
      if (!WindowConfig(chosen[k]) || (colour && ColourBits(chosen[k]) != colour)) continue;
      for (std::size_t i = 0; i < g_Configs.size(); ++i)
        if (g_Configs[i] == chosen[k]) return static_cast<int>(i) + 1;
    }
  }
  return 0;
}

bool SetFbConfig(GLDC dc, int index) {
  DeviceContext* d = FindDC(dc);
  if (!d || index < 1 || index > static_cast<int>(g_Configs.size())) return false;
  if (d->index) return d->index == index;
  d->index = index;
  d->config = g_Configs[static_cast<std::size_t>(index) - 1];
  if (SaverWindow* saver = FindSaver(d->window))
    for (auto& s : saver->surfaces) AttachGL(*s);
  return true;
}

GLRC CreateGLRC(GLDC dc) {
  DeviceContext* d = FindDC(dc);
  if (!d || !d->config) return 0;
  EGLContext context = eglCreateContext(g_pEgl, d->config, EGL_NO_CONTEXT, nullptr);
  if (context == EGL_NO_CONTEXT) return 0;
  GLRC rc = g_nNextHandle++;
  g_RCs[rc] = RenderContext{context, d->config};
  return rc;
}

bool MakeCurrent(GLDC dc, GLRC rc) {
  if (g_pEgl == EGL_NO_DISPLAY) return false;
  if (dc == 0 && rc == 0) {
    g_hCurrentRC = 0;
    return eglMakeCurrent(g_pEgl, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
  }
  DeviceContext* d = FindDC(dc);
  RenderContext* r = FindRC(rc);
  if (!d || !r || !d->config || !Retarget(*r, d->window)) return false;
  g_hCurrentRC = rc;
  return true;
}

bool DeleteGLRC(GLRC rc) {
  RenderContext* r = FindRC(rc);
  if (!r) return false;
  if (g_hCurrentRC == rc) MakeCurrent(0, 0);
  eglDestroyContext(g_pEgl, r->context);  // its framebuffer objects go with it
  g_RCs.erase(rc);
  return true;
}

bool SwapBuffers(GLDC dc) {
  DeviceContext* d = FindDC(dc);
  RenderContext* r = FindRC(g_hCurrentRC);
  SaverWindow* saver = d ? FindSaver(d->window) : nullptr;
  if (!saver || !r) return false;
  WaitForFrameRequest(*saver);
  bool presented = false;
  if (r->direct) {
    // Not asked yet: the picture is dropped, and the next one drawn afresh.
    if (Ready(*r->direct)) {
      RequestFrame(*r->direct);
      presented = eglSwapBuffers(g_pEgl, r->direct->eglSurface);
      if (presented) r->direct->blank.reset();  // the black picture is replaced
    }
  } else if (r->fbo) {
    bool scissor = glIsEnabled(GL_SCISSOR_TEST);
    glDisable(GL_SCISSOR_TEST);
    for (auto& s : saver->surfaces)
      if (Ready(*s) && eglMakeCurrent(g_pEgl, s->eglSurface, s->eglSurface, r->context)) {
        Present(*s, *r, saver->rect);
        presented = true;
      }
    if (scissor) glEnable(GL_SCISSOR_TEST);
  }
  // A dropped picture is drawn all the same (a software renderer draws when its
  // commands are flushed): now, rather than piled up with the next ones until
  // the close has to wait for them all.
  if (!presented) glFlush();
  if (presented) TraceFirstPresent();
  PumpEvents();  // frame callbacks and input that came meanwhile
  Retarget(*r, d->window);  // outputs may have come or gone
  return true;
}

// Asleep when no surface has been given a frame for a while: the compositor shows
// none of them (outputs off, or covered), and drawing would be wasted. With no
// output at all there is nothing to show either, until one comes.
bool IsDisplayAsleep() {
  SaverWindow* saver = TheSaver();
  if (!saver || !saver->shown) return false;
  if (saver->surfaces.empty()) return true;
  DWORD now = GetTickCount();
  for (auto& s : saver->surfaces)
    if (!s->frame || now - s->frameAsked < ASLEEP_AFTER_MS) return false;
  return true;
}

}  // namespace plat::wayland
