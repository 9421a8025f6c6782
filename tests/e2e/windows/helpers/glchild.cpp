// The smallest program that shows what Wine does with OpenGL in a child window,
// as Kiru's settings dialog and the display settings' preview draw: a top-level
// window cleared to green with WGL, holding a child window cleared to red the same
// way. On Windows both colours show; under Wine the child stays undrawn (its
// background only). docs/windows-installer.md shows its picture under Wine.
#include <windows.h>

#include <GL/gl.h>

namespace {

struct Surface {
  HDC dc = nullptr;
  HGLRC rc = nullptr;
  float red = 0, green = 0;
};
Surface g_top, g_child;

void Attach(HWND window, Surface* surface, float red, float green) {
  PIXELFORMATDESCRIPTOR pfd{};
  pfd.nSize = sizeof pfd;
  pfd.nVersion = 1;
  pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
  pfd.iPixelType = PFD_TYPE_RGBA;
  pfd.cColorBits = 24;
  surface->dc = ::GetDC(window);
  ::SetPixelFormat(surface->dc, ::ChoosePixelFormat(surface->dc, &pfd), &pfd);
  surface->rc = ::wglCreateContext(surface->dc);
  surface->red = red;
  surface->green = green;
}

void Draw(const Surface& surface) {
  ::wglMakeCurrent(surface.dc, surface.rc);
  ::glClearColor(surface.red, surface.green, 0, 1);
  ::glClear(GL_COLOR_BUFFER_BIT);
  ::SwapBuffers(surface.dc);
}

LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_TIMER) {
    Draw(g_top);
    Draw(g_child);
    return 0;
  }
  if (message == WM_DESTROY) ::PostQuitMessage(0);
  return ::DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  WNDCLASSA cls{};
  cls.style = CS_OWNDC;
  cls.lpfnWndProc = Proc;
  cls.hInstance = instance;
  cls.hbrBackground = static_cast<HBRUSH>(::GetStockObject(GRAY_BRUSH));
  cls.lpszClassName = "GLChild";
  ::RegisterClassA(&cls);
  HWND top = ::CreateWindowExA(0, "GLChild", "GL in a child window", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100,
                               400, 300, nullptr, nullptr, instance, nullptr);
  HWND child = ::CreateWindowExA(0, "GLChild", "", WS_CHILD | WS_VISIBLE, 100, 70, 200, 120, top, nullptr, instance,
                                 nullptr);
  Attach(top, &g_top, 0, 1);
  Attach(child, &g_child, 1, 0);
  ::SetTimer(top, 1, 100, nullptr);
  MSG msg;
  while (::GetMessageA(&msg, nullptr, 0, 0) > 0) ::DispatchMessageA(&msg);
  return 0;
}
