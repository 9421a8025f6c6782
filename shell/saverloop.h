// The saver loop: the program's handler of the saver window (creation, the close
// request, the frame pump) and the pump pass both hosts run. Every FramePump pass
// drains the host's pending input, draws one frame and posts the next pass, so
// input is never starved and modal dialogs opened inside a frame hold the
// animation still.
#pragma once
#include "platform/win.h"
#include "render/frame.h"

plat::LRESULT SaverHandler(plat::HWND window, plat::UINT message, plat::WPARAM wParam, plat::LPARAM lParam);
// One FramePump pass: drain the host's queue, one frame, post the next pass.
// The settings dialog runs it with dialog = true.
void RunFramePump(plat::HWND host, bool dialog);
// The settings dialog's pass, as the dialog is handed it.
void RunDialogFramePump(plat::HWND dialog);
// What a frame calls in the layers above the renderer.
const FrameCalls& SaverFrameCalls();

// The frame-rate test opens the video hardware warning through this; tests replace it.
using HardwareWarningFn = void (*)(plat::HWND owner);
void SetHardwareWarningForTesting(HardwareWarningFn show);  // nullptr: the real dialog
