// Windows as the subsystems see them. A backend (X11, or the off-screen one)
// creates the native window, binds it in the message layer (queue.h) with its
// procedure, and turns native events into posted messages for it. On Windows the
// windows and their messages are the system's; each is bound to a procedure of ours.
#pragma once
#include "platform/win.h"

namespace plat {

enum class WindowKind {
  FullScreen,  // covers the screen, override-redirect, holds keyboard and pointer
  Child,       // child of a host window given by id (preview, XScreenSaver window)
  TopLevel,    // an ordinary managed window of its own
};

struct WindowSpec {
  WindowKind kind = WindowKind::TopLevel;
  const char* className = "";
  const char* title = "";
  HWND parent = 0;                  // for Child: a window of ours ...
  unsigned long nativeParent = 0;   // ... or a native window id (X window)
  int x = 0, y = 0, width = 0, height = 0;
  WNDPROC proc = nullptr;
};

// Creates the window, binds it, sends WM_CREATE synchronously; 0 on failure
// (also when the procedure answers WM_CREATE with -1).
HWND CreateWindow(const WindowSpec& desc);
// Sends WM_DESTROY, unbinds and destroys the native window.
void DestroyWindow(HWND window);
// What a procedure leaves to the system: WM_CLOSE destroys the window; 0 otherwise.
LRESULT DefWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
bool IsWindow(HWND window);
bool GetClientRect(HWND window, RECT* rect);
bool GetWindowRect(HWND window, RECT* rect);
HWND GetDesktopWindow();
HWND GetParent(HWND window);
HWND GetForegroundWindow();
bool SetForegroundWindow(HWND window);
bool SetWindowText(HWND window, const char* text);
int GetWindowText(HWND window, char* buffer, int size);
bool ShowWindow(HWND window, bool show);
// Minimised (or hidden): nothing of the window can be seen, so nothing need be drawn.
bool IsIconic(HWND window);
bool RaiseWindow(HWND window);  // to the top of the stacking order
bool LowerWindow(HWND window);  // to the bottom
bool MoveWindow(HWND window, int x, int y);
// Native lookups: a window of ours or another client's with this class and title
// (the single-instance rule); whether a native window id exists.
unsigned long FindNativeWindow(const char* className, const char* title);
bool IsNativeWindow(unsigned long nativeId);
bool RaiseNativeWindow(unsigned long nativeId);
// The full-screen saver's claim on the display (Windows: on the session), taken
// atomically and held until the process ends.
enum class SaverClaim {
  Held,       // ours, now or from an earlier call
  Elsewhere,  // another process holds it
  NoDisplay,  // there is no display to claim
};
SaverClaim ClaimSaverInstance();

// Called if the connection to the display breaks for good (the X server went
// away); the process then ends with status 255. The hook must make no window call.
using DisplayLostHook = void (*)();
void SetDisplayLostHook(DisplayLostHook hook);  // nullptr: nothing to do first

// Cursor
bool GetCursorPos(POINT* point);
void ShowCursor(bool show);          // over the full-screen window
void ClipCursor(const RECT* rect);   // nullptr lifts the confinement

}  // namespace plat
