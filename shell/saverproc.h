// The generic saver procedure: the last layer of the saver window before the
// default handling (which input closes the saver, the password question).
#pragma once
#include "platform/win.h"

plat::LRESULT GenericSaverProc(plat::HWND window, plat::UINT message, plat::WPARAM wParam, plat::LPARAM lParam);
