// The off-screen context of the Windows build: WGL on a hidden window, drawing into
// a framebuffer object the size asked for (RGBA8 colour, 24-bit depth, no stencil),
// whose pixels are read back on demand in the layout OSMesa keeps them.
#include "platform/headless/headless_offscreen.h"

#include <cstddef>

#include "platform/windows/windows_winapi.h"

#include <GL/gl.h>
#include <GL/glext.h>

namespace plat::headless {
namespace {

constexpr const char* OFFSCREEN_CLASS = "KiruOffscreen";

struct FboCalls {
  PFNGLGENFRAMEBUFFERSEXTPROC genFramebuffers = nullptr;
  PFNGLDELETEFRAMEBUFFERSEXTPROC deleteFramebuffers = nullptr;
  PFNGLBINDFRAMEBUFFEREXTPROC bindFramebuffer = nullptr;
  PFNGLGENRENDERBUFFERSEXTPROC genRenderbuffers = nullptr;
  PFNGLDELETERENDERBUFFERSEXTPROC deleteRenderbuffers = nullptr;
  PFNGLBINDRENDERBUFFEREXTPROC bindRenderbuffer = nullptr;
  PFNGLRENDERBUFFERSTORAGEEXTPROC renderbufferStorage = nullptr;
  PFNGLFRAMEBUFFERRENDERBUFFEREXTPROC framebufferRenderbuffer = nullptr;
  PFNGLCHECKFRAMEBUFFERSTATUSEXTPROC checkFramebufferStatus = nullptr;
};

::HWND g_hWindow = nullptr;
::HDC g_hDC = nullptr;
::HGLRC g_hRC = nullptr;
FboCalls g_Fbo;
GLuint g_nFramebuffer = 0, g_nColour = 0, g_nDepth = 0;
std::vector<unsigned char> g_Pixels;
int g_nWidth = 0, g_nHeight = 0;

template <typename T>
bool Resolve(T* call, const char* name) {
  *call = reinterpret_cast<T>(reinterpret_cast<void*>(::wglGetProcAddress(name)));
  return *call != nullptr;
}

bool ResolveFbo() {
  return Resolve(&g_Fbo.genFramebuffers, "glGenFramebuffersEXT") &&
         Resolve(&g_Fbo.deleteFramebuffers, "glDeleteFramebuffersEXT") &&
         Resolve(&g_Fbo.bindFramebuffer, "glBindFramebufferEXT") &&
         Resolve(&g_Fbo.genRenderbuffers, "glGenRenderbuffersEXT") &&
         Resolve(&g_Fbo.deleteRenderbuffers, "glDeleteRenderbuffersEXT") &&
         Resolve(&g_Fbo.bindRenderbuffer, "glBindRenderbufferEXT") &&
         Resolve(&g_Fbo.renderbufferStorage, "glRenderbufferStorageEXT") &&
         Resolve(&g_Fbo.framebufferRenderbuffer, "glFramebufferRenderbufferEXT") &&
         Resolve(&g_Fbo.checkFramebufferStatus, "glCheckFramebufferStatusEXT");
}

// A window is only there to give WGL a pixel format; nobody sees it.
bool MakeHiddenWindow() {
  if (!win32::EnsureWindowClass(OFFSCREEN_CLASS, CS_OWNDC, nullptr)) return false;
  ::HWND window = ::CreateWindowExA(0, OFFSCREEN_CLASS, "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                    ::GetModuleHandleA(nullptr), nullptr);
  if (!window) return false;
  ::HDC dc = ::GetDC(window);
  PIXELFORMATDESCRIPTOR pfd{};
  pfd.nSize = sizeof pfd;
  pfd.nVersion = 1;
  pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL;
  pfd.iPixelType = PFD_TYPE_RGBA;
  pfd.cColorBits = 32;
  pfd.cDepthBits = 24;
  int format = dc ? ::ChoosePixelFormat(dc, &pfd) : 0;
  if (format == 0 || !::SetPixelFormat(dc, format, &pfd)) {
    ::DestroyWindow(window);
    return false;
  }
  g_hWindow = window;
  g_hDC = dc;  // the class's own DC: it lives as long as the window
  return true;
}

// Storage for the size asked for; the framebuffer object keeps its attachments.
bool SizeBuffers(int width, int height) {
  g_Fbo.bindRenderbuffer(GL_RENDERBUFFER_EXT, g_nColour);
  g_Fbo.renderbufferStorage(GL_RENDERBUFFER_EXT, GL_RGBA8, width, height);
  g_Fbo.bindRenderbuffer(GL_RENDERBUFFER_EXT, g_nDepth);
  g_Fbo.renderbufferStorage(GL_RENDERBUFFER_EXT, GL_DEPTH_COMPONENT24, width, height);
  g_Fbo.bindRenderbuffer(GL_RENDERBUFFER_EXT, 0);
  return g_Fbo.checkFramebufferStatus(GL_FRAMEBUFFER_EXT) == GL_FRAMEBUFFER_COMPLETE_EXT;
}

bool MakeFramebuffer() {
  if (!ResolveFbo()) return false;
  g_Fbo.genFramebuffers(1, &g_nFramebuffer);
  g_Fbo.genRenderbuffers(1, &g_nColour);
  g_Fbo.genRenderbuffers(1, &g_nDepth);
  g_Fbo.bindFramebuffer(GL_FRAMEBUFFER_EXT, g_nFramebuffer);
  g_Fbo.bindRenderbuffer(GL_RENDERBUFFER_EXT, g_nColour);
  g_Fbo.framebufferRenderbuffer(GL_FRAMEBUFFER_EXT, GL_COLOR_ATTACHMENT0_EXT, GL_RENDERBUFFER_EXT,
                                g_nColour);
  g_Fbo.bindRenderbuffer(GL_RENDERBUFFER_EXT, g_nDepth);
  g_Fbo.framebufferRenderbuffer(GL_FRAMEBUFFER_EXT, GL_DEPTH_ATTACHMENT_EXT, GL_RENDERBUFFER_EXT,
                                g_nDepth);
  glDrawBuffer(GL_COLOR_ATTACHMENT0_EXT);
  glReadBuffer(GL_COLOR_ATTACHMENT0_EXT);
  return true;
}

bool IsCurrentHere() { return g_hRC && ::wglGetCurrentContext() == g_hRC; }

// The colour buffer into g_Pixels, whatever pixel-store state the drawing code left.
void ReadBack() {
  if (!IsCurrentHere() || g_Pixels.empty()) return;
  glFinish();
  glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glPixelStorei(GL_PACK_ROW_LENGTH, 0);
  glPixelStorei(GL_PACK_SKIP_ROWS, 0);
  glPixelStorei(GL_PACK_SKIP_PIXELS, 0);
  glPixelStorei(GL_PACK_SWAP_BYTES, GL_FALSE);
  glPixelStorei(GL_PACK_LSB_FIRST, GL_FALSE);
  glReadPixels(0, 0, g_nWidth, g_nHeight, GL_RGBA, GL_UNSIGNED_BYTE, g_Pixels.data());
  glPopClientAttrib();
}

}  // namespace

bool MakeOffscreenContext(int width, int height) {
  if (width <= 0 || height <= 0) return false;
  bool first = false;
  if (!g_hRC) {
    if (!g_hWindow && !MakeHiddenWindow()) return false;
    g_hRC = ::wglCreateContext(g_hDC);
    if (!g_hRC) return false;
    first = true;
  }
  if (!::wglMakeCurrent(g_hDC, g_hRC)) return false;
  if (first && !MakeFramebuffer()) {
    DestroyOffscreenContext();
    return false;
  }
  bool resized = first || width != g_nWidth || height != g_nHeight;
  if (resized) {
    if (!SizeBuffers(width, height)) return false;
    g_Pixels.assign(static_cast<std::size_t>(width) * height * 4, 0);
    g_nWidth = width;
    g_nHeight = height;
  }
  // The viewport starts at the size of the first buffer, as a context's first drawable sets it.
  if (first) glViewport(0, 0, width, height);
  return true;
}

void DestroyOffscreenContext() {
  if (g_hRC) {
    if (g_nFramebuffer && ::wglMakeCurrent(g_hDC, g_hRC)) {  // none when the calls were missing
      g_Fbo.bindFramebuffer(GL_FRAMEBUFFER_EXT, 0);
      g_Fbo.deleteRenderbuffers(1, &g_nColour);
      g_Fbo.deleteRenderbuffers(1, &g_nDepth);
      g_Fbo.deleteFramebuffers(1, &g_nFramebuffer);
    }
    ::wglMakeCurrent(nullptr, nullptr);
    ::wglDeleteContext(g_hRC);
  }
  // The hidden window stays for the next context: only its own thread could destroy it.
  g_hRC = nullptr;
  g_nFramebuffer = g_nColour = g_nDepth = 0;
  g_Pixels.clear();
  g_nWidth = g_nHeight = 0;
}

void ReleaseOffscreenContext() {
  ReadBack();  // what was drawn stays readable, as OSMesa's buffer does
  if (IsCurrentHere()) ::wglMakeCurrent(nullptr, nullptr);
}

int OffscreenWidth() { return g_nWidth; }
int OffscreenHeight() { return g_nHeight; }

const unsigned char* OffscreenPixels() {
  ReadBack();
  return g_Pixels.empty() ? nullptr : g_Pixels.data();
}

}  // namespace plat::headless
