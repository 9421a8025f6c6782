// The last of the saver window's procedures (shell/saverwndproc.h has the order):
// GenericSaverProc decides which input ends saving and asks the password.
#pragma once
#include "platform/win.h"
#include "shell/saverpassword.h"  // the password question: g_bVerified, g_bVerifying

constexpr int MOUSE_CLOSE_DISTANCE = 100;  // |dx| + |dy| above this ends saving

extern plat::POINT g_ptLast;  // where mouse movement is measured from

plat::LRESULT GenericSaverProc(plat::HWND window, plat::UINT message, plat::WPARAM wParam, plat::LPARAM lParam);
// What the system does with a message nobody handles: a close request destroys the window.
plat::LRESULT DefaultSaverProc(plat::HWND window, plat::UINT message, plat::WPARAM wParam, plat::LPARAM lParam);

// The cursor as the saver sees it. Tests put a fake pointer and a recorder in place;
// nullptr restores the platform's.
bool ReadSaverCursor(plat::POINT* point);
void HideSaverCursor();
using CursorPosSource = bool (*)(plat::POINT* point);
using CursorShower = void (*)(bool show);
void SetCursorHooksForTesting(CursorPosSource position, CursorShower shower);
