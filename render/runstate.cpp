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
int g_nFadeState;
float g_fFadeAngle;

int g_nFrameCount;
plat::DWORD g_dwMeasureStart;
bool g_bRateTestDone;
plat::DWORD g_dwLastFrame;
bool g_bCueTimerSet;
plat::DWORD g_dwCueTimer;
int g_nCueIndex;
bool g_bPowerChecked;
plat::DWORD g_dwPowerCheck;
bool g_bDisplayAsleep;

void ResetRunStateForTesting() {
  g_hSaverWnd = 0;
  g_bPreview = false;
  g_bSaverMode = g_bFullScreen = g_bQuit = g_bClosed = g_bInPump = g_bEditFocus = false;
  g_bKeepRunning = true;
  g_fMeasuredFps = 0.0f;
  g_fForcedFrameRate = 0.0f;
  g_dwModuleStart = 0;
  g_nFadeState = 0;
  g_fFadeAngle = 0.0f;
  g_nFrameCount = 0;
  g_dwMeasureStart = 0;
  g_bRateTestDone = false;
  g_dwLastFrame = 0;
  g_bCueTimerSet = false;
  g_dwCueTimer = 0;
  g_nCueIndex = 0;
  g_bPowerChecked = false;
  g_dwPowerCheck = 0;
  g_bDisplayAsleep = false;
}

void PostFramePump(plat::HWND host) {
  constexpr plat::WPARAM kPumpParam = 0xFFFFFFFF;
  plat::PostMessage(host, FramePump, kPumpParam, static_cast<plat::LPARAM>(kPumpParam));
}

void StartFramePump(plat::HWND host) {
  g_bEditFocus = false;
  g_dwModuleStart = plat::GetTickCount();
  PostFramePump(host);
}
