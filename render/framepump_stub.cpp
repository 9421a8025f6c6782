// Placeholder until the frame pump lands: the pump's order (drain input, one
// frame, post the next) with a cleared frame instead of the modules.
#include <GL/gl.h>

#include "platform/clock.h"
#include "platform/glsurface.h"
#include "platform/queue.h"
#include "render/framepump.h"
#include "ui/keys.h"

namespace {

plat::GLDC g_hStubDC;
plat::GLRC g_hStubRC;

bool CreateStubContext(plat::HWND window) {
  g_hStubDC = plat::GetGLDC(window);
  int index = plat::ChooseFbConfig(g_hStubDC, 32, 24);
  if (!index || !plat::SetFbConfig(g_hStubDC, index)) return false;
  g_hStubRC = plat::CreateGLRC(g_hStubDC);
  return g_hStubRC && plat::MakeCurrent(g_hStubDC, g_hStubRC);
}

}  // namespace

plat::LRESULT SaverHandler(plat::HWND window, plat::UINT message, plat::WPARAM, plat::LPARAM) {
  switch (message) {
    case plat::WM_CREATE:
      g_bSaverMode = true;
      if (CreateStubContext(window)) plat::PostMessage(window, FramePump, 0xFFFFFFFF, 0xFFFFFFFF);
      break;
    case plat::WM_CLOSE:
      if (!g_bClosed) {
        g_bClosed = g_bQuit = true;
        plat::MakeCurrent(0, 0);
        plat::DeleteGLRC(g_hStubRC);
      }
      break;
    case FramePump: {
      if (g_bInPump || g_bQuit) break;
      g_bInPump = true;
      plat::MSG m;
      while (!g_bQuit && plat::PeekMessage(&m, window, 0, 0, plat::PM_REMOVE)) {
        if (m.message == plat::WM_KEYDOWN || m.message == plat::WM_KEYUP)
          HandleKey(window, m.message, m.wParam);
        else if (m.message == plat::WM_CLOSE)
          g_bQuit = true;
        else
          plat::DispatchMessage(&m);
      }
      if (g_bQuit && !g_bClosed) plat::PostMessage(window, plat::WM_CLOSE, 0, 0);
      if (!g_bQuit) {
        RenderFrame(window);
        plat::PostMessage(window, FramePump, 0xFFFFFFFF, 0xFFFFFFFF);
      }
      g_bInPump = false;
      break;
    }
  }
  return 0;
}

void RenderFrame(plat::HWND) {
  static plat::DWORD s_dwLast;
  plat::DWORD now = plat::GetTickCount();
  if (now - s_dwLast < 30) plat::Sleep(30 - (now - s_dwLast));
  s_dwLast = plat::GetTickCount();
  glClearColor(0.0f, 0.0f, 0.1f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  plat::SwapBuffers(g_hStubDC);
}
