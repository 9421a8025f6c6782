// Keyboard controls and the dialog helpers every dialog uses.
#pragma once
#include "platform/win.h"

plat::LRESULT HandleKey(plat::HWND window, plat::UINT message, plat::WPARAM virtualKey);
void CheckSelectButton(plat::HWND dialog, int n);
void CenterOnDesktop(plat::HWND window);
