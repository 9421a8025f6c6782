// The settings dialog (2003): module choice and views with a live GL preview,
// cycle time and sound; only OK saves.
#pragma once
#include "platform/win.h"

// One pass of the frame pump that draws the preview, run on every FramePump.
using DialogPumpFn = void (*)(plat::HWND dialog);

// Runs the dialog modally; returns its result (1), or -1 when it could not open.
// The pump reaches the procedure as WM_INITDIALOG's lParam.
int RunSettingsDialog(plat::HWND owner, DialogPumpFn pump);

plat::LRESULT SettingsDialogProc(plat::HWND dialog, plat::UINT message, plat::WPARAM wParam,
                                 plat::LPARAM lParam);
// Forgets the spin position and preview window of an earlier dialog.
void ResetSettingsDialogForTesting();
