// Helpers every dialog of the program uses.
#pragma once
#include "platform/win.h"

// Marks the Select button of module n (1023 + n) and unmarks the other nine; n = 0 unmarks all.
void CheckSelectButton(plat::HWND dialog, int n);
// Centres the window on the desktop, raises and shows it.
void CenterOnDesktop(plat::HWND window);
// The settings dialog: on the monitor that holds the pointer.
void CenterOnPointerMonitor(plat::HWND window);
// Keeps the pointer inside the dialog as it now lies (again after the monitors
// changed and the dialog moved with them).
void ConfineCursorTo(plat::HWND dialog);
