// The frame pump: the saver window's handler, the self-reposting FramePump message,
// one frame with its frame-rate test, sound cue, module cycling, fades and limiter.
#pragma once
#include "platform/win.h"

constexpr plat::UINT FramePump = 7427;  // private window message, wParam = lParam = 0xFFFFFFFF

// Run state (GUI thread only).
extern bool g_bSaverMode;    // saver window (true) or settings dialog (false)
extern bool g_bFullScreen;   // full-screen saving (not the preview)
extern bool g_bQuit;         // no further frames
extern bool g_bClosed;       // close-request tear-down has run
extern bool g_bInPump;       // a FramePump is being handled
extern bool g_bEditFocus;    // settings dialog: the seconds field is being edited
extern bool g_bKeepRunning;  // verdict of the hardware warning (initially true)
extern float g_fMeasuredFps; // rate handed to the hardware warning
extern plat::DWORD g_dwModuleStart;  // when the current module began full-brightness showing
extern int g_nFadeState;     // 0 idle, 2 fading out, 1 fading in
extern float g_fFadeAngle;   // radians

plat::LRESULT SaverHandler(plat::HWND window, plat::UINT message, plat::WPARAM wParam, plat::LPARAM lParam);
void RenderFrame(plat::HWND window);
float FadeOutStep();
float FadeInStep();
void ResetFade();
