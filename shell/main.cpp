// Process entry. For now only full-screen saving ("/s", "-s", "s"); the other
// run modes come with the rest of the shell.
#include "platform/queue.h"
#include "platform/window.h"
#include "render/framepump.h"

namespace {

plat::HWND g_hSaverWnd;

plat::LRESULT SaverWndProc(plat::HWND window, plat::UINT message, plat::WPARAM wParam,
                           plat::LPARAM lParam) {
  plat::LRESULT result = SaverHandler(window, message, wParam, lParam);
  switch (message) {
    case plat::WM_CLOSE:
      plat::DestroyWindow(window);
      return 0;
    case plat::WM_DESTROY:
      plat::PostQuitMessage(0);
      return 0;
  }
  return result;
}

int RunSaverWindow() {
  if (unsigned long running = plat::FindNativeWindow("WindowsScreenSaverClass", "Screen Saver")) {
    plat::RaiseNativeWindow(running);
    return 0;
  }
  plat::WindowSpec spec;
  spec.kind = plat::WindowKind::FullScreen;
  spec.className = "WindowsScreenSaverClass";
  spec.title = "Screen Saver";
  spec.proc = SaverWndProc;
  g_hSaverWnd = plat::CreateWindow(spec);
  if (!g_hSaverWnd) return 1;
  plat::SetForegroundWindow(g_hSaverWnd);
  plat::MSG m;
  while (plat::GetMessage(&m, 0, 0, 0)) plat::DispatchMessage(&m);
  return static_cast<int>(m.wParam);
}

}  // namespace

int main(int argc, char** argv) {
  const char* p = argc > 1 ? argv[1] : "";
  while (*p == ' ' || *p == '-' || *p == '/') ++p;
  if (*p == 's' || *p == 'S') return RunSaverWindow();
  return -1;
}
