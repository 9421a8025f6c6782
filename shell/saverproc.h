// The saver window's procedures. Every message passes SaverWndProc (housekeeping),
// then SaverHandler (the frame pump's handler), then GenericSaverProc (which input
// ends saving, the password question).
#pragma once
#include "platform/win.h"

constexpr int MOUSE_CLOSE_DISTANCE = 100;  // |dx| + |dy| above this ends saving
constexpr plat::UINT WM_VERIFY_PASSWORD = 0x8000;  // shares its number with WM_SOUND_DONE

extern plat::POINT g_ptLast;  // where mouse movement is measured from
extern bool g_bVerified;      // the close is allowed; input is no longer read
extern bool g_bVerifying;     // a password prompt is open

plat::LRESULT SaverWndProc(plat::HWND window, plat::UINT message, plat::WPARAM wParam, plat::LPARAM lParam);
plat::LRESULT GenericSaverProc(plat::HWND window, plat::UINT message, plat::WPARAM wParam, plat::LPARAM lParam);
// What the system does with a message nobody handles: a close request destroys the window.
plat::LRESULT DefaultSaverProc(plat::HWND window, plat::UINT message, plat::WPARAM wParam, plat::LPARAM lParam);

// The cursor as the saver sees it. Tests put a fake pointer and a recorder in place;
// nullptr restores the platform's.
using CursorPosSource = bool (*)(plat::POINT* point);
using CursorShower = void (*)(bool show);
void SetCursorHooksForTesting(CursorPosSource position, CursorShower shower);
// The handler between the two procedures; nullptr restores SaverHandler.
void SetSaverHandlerForTesting(plat::WNDPROC handler);
