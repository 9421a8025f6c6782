// The Wayland desktop's side of the platform interface, for the switch
// (platform/switch/) that forwards to it: full-screen saving only, one surface
// per output on the layer shell's overlay layer (a fullscreen xdg_toplevel per
// output where there is none), EGL, xkbcommon keys, and the dialogs over the saver,
// drawn by the saver itself. Previews and the settings dialog stay X11.
#pragma once
#include <vector>

#include "platform/dialog.h"
#include "platform/glsurface.h"
#include "platform/monitors.h"
#include "platform/window.h"

namespace plat::wayland {

// Connects to $WAYLAND_DISPLAY once; true when the compositor can show a saver
// (a compositor, and the layer shell or xdg-shell). Says why not on stderr when
// `verbose`.
bool Connect(bool verbose);
// The desktop its windows carry in their records (queue.h), X11's being 0.
constexpr int DESKTOP_TAG = 1;
// A dialog over the saver, on the output with the keyboard focus; cancelled when
// the saver shows on none.
int DialogBox(const DialogTemplate& dialogTemplate, HWND owner, DLGPROC proc, LPARAM param);

HWND CreateWindow(const WindowSpec& desc);  // FullScreen only
void DestroyWindow(HWND window);
bool IsWindow(HWND window);
bool GetClientRect(HWND window, RECT* rect);
bool GetWindowRect(HWND window, RECT* rect);
HWND GetDesktopWindow();
HWND GetForegroundWindow();
bool SetWindowText(HWND window, const char* text);
int GetWindowText(HWND window, char* buffer, int size);
bool ShowWindow(HWND window, bool show);
bool IsIconic(HWND window);
SaverClaim ClaimSaverInstance();
void SetDisplayLostHook(DisplayLostHook hook);
bool GetCursorPos(POINT* point);
void ShowCursor(bool show);

GLDC GetGLDC(HWND window);
bool ReleaseGLDC(HWND window, GLDC dc);
std::vector<FbConfig> DescribeFbConfigs(GLDC dc);
int ChooseFbConfig(GLDC dc, int colourBits, int depthBits);
bool SetFbConfig(GLDC dc, int index);
GLRC CreateGLRC(GLDC dc);
bool MakeCurrent(GLDC dc, GLRC rc);
bool DeleteGLRC(GLRC rc);
bool SwapBuffers(GLDC dc);

std::vector<MonitorInfo> GetMonitors();
bool CoverScreen(HWND window);
bool IsDisplayAsleep();

}  // namespace plat::wayland

namespace plat::wayland {

// The compositor's idle notification, for the idle watcher (kiru --watch), on a
// connection of its own to $WAYLAND_DISPLAY: ext-idle-notify-v1, else
// org_kde_kwin_idle. Both already count the clients' idle inhibitors. Returns the
// protocol's name for the log, or nullptr when there is no compositor or it
// offers neither.
const char* OpenIdleWatch(DWORD waitMs);
// A new wait: the notification is made afresh with it.
void SetIdleWatchWait(DWORD waitMs);
// Waits at most `ms` for the compositor. The session's state now: 1 idle (no
// input for the wait), 0 active, -1 the connection broke.
int WaitIdleWatch(DWORD ms);
// The connection's descriptor, for the watcher's poll over its other sources (the
// session bus, signals, the store): once it is readable, WaitIdleWatch(0) takes
// what came. -1 without a connection.
int IdleWatchFd();

}  // namespace plat::wayland
