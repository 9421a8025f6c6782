// Run state of the host that draws (the saver window or the settings dialog) and
// the FramePump message that drives it. GUI thread only.
#pragma once
#include "platform/win.h"

constexpr plat::UINT FramePump = 7427;  // private window message, wParam = lParam = 0xFFFFFFFF

extern plat::HWND g_hSaverWnd;  // the saver window (0 in the settings dialog)
extern bool g_bPreview;      // hosted: input never ends saving, cursor stays, no rate test
extern bool g_bSaverMode;    // saver window (true) or settings dialog (false)
extern bool g_bFullScreen;   // full-screen saving (not the preview)
extern bool g_bQuit;         // no further frames (written by StopFrames and BeginClose only)
extern bool g_bClosed;       // close-request tear-down has run (written by BeginClose only)
extern bool g_bInPump;       // a FramePump is being handled
extern bool g_bEditFocus;    // settings dialog: the seconds field is being edited
extern bool g_bKeepRunning;  // verdict of the hardware warning (initially true)
extern float g_fMeasuredFps; // rate handed to the hardware warning
extern float g_fForcedFrameRate;  // test-only: above 0, what the start-up test measures
extern plat::DWORD g_dwModuleStart;  // when the current module began full-brightness showing

void PostFramePump(plat::HWND host);
// Starts the pump on a host whose GL context is ready: clears the edit focus,
// starts the module timer and posts the first FramePump.
void StartFramePump(plat::HWND host);
// No further frames: the host's pump stops re-posting itself.
void StopFrames();
// Starts the close request's tear-down, once per host: false when it has run already.
bool BeginClose();
// The current module's full-brightness showing begins now.
void RestartModuleTimer();
