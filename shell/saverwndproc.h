// The saver window's procedure. Every message passes SaverWndProc (housekeeping),
// then SaverHandler (the frame pump's handler, shell/saverloop.h), then
// GenericSaverProc (which input ends saving, the password question,
// shell/saverproc.h).
#pragma once
#include "platform/win.h"

plat::LRESULT SaverWndProc(plat::HWND window, plat::UINT message, plat::WPARAM wParam, plat::LPARAM lParam);
// The handler between the two procedures; nullptr restores SaverHandler.
void SetSaverHandlerForTesting(plat::WNDPROC handler);
