// Run state of the host that draws (the saver window or the settings dialog) and
// the FramePump message that drives it. GUI thread only.
#pragma once
#include "platform/win.h"

constexpr plat::UINT FramePump = 7427;  // private window message, wParam = lParam = 0xFFFFFFFF

extern plat::HWND g_hSaverWnd;  // the saver window (0 in the settings dialog)
extern bool g_bPreview;      // hosted: input never ends saving, cursor stays, no rate test
extern bool g_bSaverMode;    // saver window (true) or settings dialog (false)
extern bool g_bFullScreen;   // full-screen saving (not the preview)
extern bool g_bQuit;         // no further frames
extern bool g_bClosed;       // close-request tear-down has run
extern bool g_bInPump;       // a FramePump is being handled
extern bool g_bEditFocus;    // settings dialog: the seconds field is being edited
extern bool g_bKeepRunning;  // verdict of the hardware warning (initially true)
extern float g_fMeasuredFps; // rate handed to the hardware warning
extern float g_fForcedFrameRate;  // test-only: above 0, what the start-up test measures
extern plat::DWORD g_dwModuleStart;  // when the current module began full-brightness showing
extern int g_nFadeState;     // 0 idle, 2 fading out, 1 fading in
extern float g_fFadeAngle;   // radians

// Frame bookkeeping. One counter serves the start-up frame-rate test and the
// dialog's title readout; the two never run in the same host.
extern int g_nFrameCount;
extern plat::DWORD g_dwMeasureStart;
extern bool g_bRateTestDone;
extern plat::DWORD g_dwLastFrame;  // limiter: start of the previous frame
extern bool g_bCueTimerSet;        // the first frame of the process has run
extern plat::DWORD g_dwCueTimer;
extern int g_nCueIndex;            // voice most recently asked to play
// Power sense: the display's state as last asked, and when.
extern bool g_bPowerChecked;
extern plat::DWORD g_dwPowerCheck;
extern bool g_bDisplayAsleep;

void PostFramePump(plat::HWND host);
// Starts the pump on a host whose GL context is ready: clears the edit focus,
// starts the module timer and posts the first FramePump.
void StartFramePump(plat::HWND host);
// Puts every run-state flag and the frame bookkeeping back to their start values.
void ResetRunStateForTesting();
