// The X11 desktop's side of the platform interface, under its own namespace: the
// Linux program holds two desktops, and the switch (platform/switch/) defines the
// plat:: functions and forwards each call to the desktop that serves it.
#pragma once
#include <vector>

#include "platform/dialog.h"
#include "platform/glsurface.h"
#include "platform/monitors.h"
#include "platform/window.h"

namespace plat::x11 {

// window.h
HWND CreateWindow(const WindowSpec& desc);
void DestroyWindow(HWND window);
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
bool IsIconic(HWND window);
bool RaiseWindow(HWND window);
bool LowerWindow(HWND window);
bool MoveWindow(HWND window, int x, int y);
unsigned long FindNativeWindow(const char* className, const char* title);
bool IsNativeWindow(unsigned long nativeId);
bool RaiseNativeWindow(unsigned long nativeId);
SaverClaim ClaimSaverInstance();
void SetDisplayLostHook(DisplayLostHook hook);
bool GetCursorPos(POINT* point);
void ShowCursor(bool show);
void ClipCursor(const RECT* rect);

// glsurface.h
GLDC GetGLDC(HWND window);
bool ReleaseGLDC(HWND window, GLDC dc);
std::vector<FbConfig> DescribeFbConfigs(GLDC dc);
int ChooseFbConfig(GLDC dc, int colourBits, int depthBits);
bool SetFbConfig(GLDC dc, int index);
GLRC CreateGLRC(GLDC dc);
bool MakeCurrent(GLDC dc, GLRC rc);
bool DeleteGLRC(GLRC rc);
bool SwapBuffers(GLDC dc);

// monitors.h, power.h, nativehost.h, dialog.h
std::vector<MonitorInfo> GetMonitors();
bool CoverScreen(HWND window);
bool IsDisplayAsleep();
unsigned long GetNativeRootWindow();
bool GetNativeClientRect(unsigned long nativeId, RECT* rect);
bool TakesHackFlags();
int DialogBox(const DialogTemplate& dialogTemplate, HWND owner, DLGPROC proc, LPARAM param);

// The idle watcher's (idle.h): MIT-SCREEN-SAVER's idle counter, false without the
// display or the extension; milliseconds since the last input; the connection to
// poll, and what it brought (true when XScreenSaver's daemon, once seen, has gone);
// whether that daemon runs.
bool OpenIdleCounter();
DWORD IdleCounter();
int DisplayFd();
bool TakeEvents();
bool XScreenSaverRuns();

}  // namespace plat::x11
