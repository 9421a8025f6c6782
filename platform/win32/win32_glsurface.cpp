// WGL: pixel formats described field by field for the scoring above, the system's
// ChoosePixelFormat as the fallback, and a context on the window's device context.
#include "platform/glsurface.h"

#include "platform/cputime.h"
#include "platform/windows/windows_winapi.h"

#include <GL/gl.h>

#include <cstdio>
#include <cstdlib>

namespace plat {

using namespace win32;

namespace {

::HDC Dc(GLDC dc) { return reinterpret_cast<::HDC>(dc); }

double FileTimeSeconds(const FILETIME& t) {
  return static_cast<double>((static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e7;
}

// tools/bench-startup times the start to the first frame, as on Linux: the wall
// clock in Unix seconds (Wine's is the host's) and the process's CPU time so far.
void TraceFirstFrame() {
  static bool s_bTraced = false;
  if (s_bTraced) return;
  s_bTraced = true;
  if (!std::getenv("KIRU_TRACE_FIRST_FRAME")) return;
  ::glFinish();  // the picture is drawn, not only queued
  // The precise clock came with Windows 8; older systems have the coarse one only.
  using FileTimeClock = void(WINAPI*)(FILETIME*);
  auto precise = reinterpret_cast<FileTimeClock>(
      reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("kernel32.dll"), "GetSystemTimePreciseAsFileTime")));
  FILETIME now;
  (precise ? precise : ::GetSystemTimeAsFileTime)(&now);
  constexpr double UNIX_EPOCH = 11644473600.0;  // 1970 in seconds from 1601
  std::fprintf(stderr, "kiru: first frame presented at %.6f after %.1f ms of CPU time\n",
               FileTimeSeconds(now) - UNIX_EPOCH, static_cast<double>(GetProcessCpuMicros()) / 1000.0);
  std::fflush(stderr);
}

}  // namespace

GLDC GetGLDC(HWND window) { return reinterpret_cast<GLDC>(::GetDC(Native(window))); }

bool ReleaseGLDC(HWND window, GLDC dc) { return ::ReleaseDC(Native(window), Dc(dc)) != 0; }

std::vector<FbConfig> DescribeFbConfigs(GLDC dc) {
  std::vector<FbConfig> configs;
  PIXELFORMATDESCRIPTOR pfd;
  int count = ::DescribePixelFormat(Dc(dc), 1, sizeof pfd, nullptr);
  for (int i = 1; i <= count; ++i) {
    if (!::DescribePixelFormat(Dc(dc), i, sizeof pfd, &pfd)) continue;
    FbConfig c;
    c.index = i;
    c.bufferSize = pfd.cColorBits;
    c.depthSize = pfd.cDepthBits;
    c.rgba = pfd.iPixelType == PFD_TYPE_RGBA;
    c.doubleBuffer = (pfd.dwFlags & PFD_DOUBLEBUFFER) != 0;
    c.drawToWindow = (pfd.dwFlags & PFD_DRAW_TO_WINDOW) != 0;
    c.supportGL = (pfd.dwFlags & PFD_SUPPORT_OPENGL) != 0;
    // The generic implementation without a driver behind it draws in software.
    c.software = (pfd.dwFlags & PFD_GENERIC_FORMAT) != 0 && (pfd.dwFlags & PFD_GENERIC_ACCELERATED) == 0;
    configs.push_back(c);
  }
  return configs;
}

int ChooseFbConfig(GLDC dc, int colourBits, int depthBits) {
  PIXELFORMATDESCRIPTOR pfd{};
  pfd.nSize = sizeof pfd;
  pfd.nVersion = 1;
  pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
  pfd.iPixelType = PFD_TYPE_RGBA;
  pfd.cColorBits = static_cast<BYTE>(colourBits);
  pfd.cDepthBits = static_cast<BYTE>(depthBits);
  pfd.iLayerType = PFD_MAIN_PLANE;
  return ::ChoosePixelFormat(Dc(dc), &pfd);
}

bool SetFbConfig(GLDC dc, int index) {
  PIXELFORMATDESCRIPTOR pfd;
  if (!::DescribePixelFormat(Dc(dc), index, sizeof pfd, &pfd)) return false;
  return ::SetPixelFormat(Dc(dc), index, &pfd) != 0;
}

GLRC CreateGLRC(GLDC dc) { return reinterpret_cast<GLRC>(::wglCreateContext(Dc(dc))); }

bool MakeCurrent(GLDC dc, GLRC rc) { return ::wglMakeCurrent(Dc(dc), reinterpret_cast<HGLRC>(rc)) != 0; }

bool DeleteGLRC(GLRC rc) { return ::wglDeleteContext(reinterpret_cast<HGLRC>(rc)) != 0; }

bool SwapBuffers(GLDC dc) {
  bool swapped = ::SwapBuffers(Dc(dc)) != 0;
  TraceFirstFrame();
  return swapped;
}

}  // namespace plat
