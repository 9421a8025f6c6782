// The frame pump: the saver window's handler, the self-reposting FramePump message,
// one frame with its frame-rate test, sound cue, module cycling, fades and limiter.
#pragma once
#include "platform/win.h"

constexpr plat::UINT FramePump = 7427;  // private window message, wParam = lParam = 0xFFFFFFFF

// Run state (GUI thread only).
extern plat::HWND g_hSaverWnd;  // the saver window (0 in the settings dialog)
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

plat::LRESULT SaverHandler(plat::HWND window, plat::UINT message, plat::WPARAM wParam, plat::LPARAM lParam);
// Starts the pump on a host whose GL context is ready: clears the edit focus,
// starts the module timer and posts the first FramePump.
void StartFramePump(plat::HWND host);
// One FramePump pass: drain the host's queue, one frame, post the next pass.
// The settings dialog's procedure calls it with dialog = true.
void RunFramePump(plat::HWND host, bool dialog);
void RenderFrame(plat::HWND window);
float FadeOutStep();
float FadeInStep();
void ResetFade();

// The frame-rate test opens the video hardware warning through this; tests replace it.
using HardwareWarningFn = void (*)(plat::HWND owner);
void SetHardwareWarningForTesting(HardwareWarningFn show);  // nullptr: the real dialog
// While the display sleeps the pump waits on the queue with this (default
// plat::WaitMessage); tests replace it.
using IdleWaitFn = void (*)(plat::DWORD ms);
void SetIdleWaitForTesting(IdleWaitFn wait);  // nullptr: the real wait
// Puts every run-state flag and the frame bookkeeping back to their start values.
void ResetRunStateForTesting();
