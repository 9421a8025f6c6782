#include "render/runstate.h"

#include "platform/clock.h"
#include "platform/queue.h"

plat::HWND g_hSaverWnd;
bool g_bPreview;
bool g_bSaverMode;
bool g_bFullScreen;
bool g_bQuit;
bool g_bClosed;
bool g_bInPump;
bool g_bEditFocus;
bool g_bKeepRunning = true;
float g_fMeasuredFps;
float g_fForcedFrameRate;
plat::DWORD g_dwModuleStart;

void PostFramePump(plat::HWND host) {
  constexpr plat::WPARAM PUMP_PARAM = 0xFFFFFFFF;
  plat::PostMessage(host, FramePump, PUMP_PARAM, static_cast<plat::LPARAM>(PUMP_PARAM));
}

void StartFramePump(plat::HWND host) {
  g_bEditFocus = false;
  RestartModuleTimer();
  PostFramePump(host);
}

void StopFrames() { g_bQuit = true; }

bool BeginClose() {
  if (g_bClosed) return false;
  g_bClosed = g_bQuit = true;
  return true;
}

void RestartModuleTimer() { g_dwModuleStart = plat::GetTickCount(); }
