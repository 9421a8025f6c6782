// Message boxes with fixed texts and captions. The backend shows them; tests put
// a recorder in place to see exactly what the user would have been told.
#pragma once
#include "platform/win.h"

namespace plat {

int MessageBox(HWND owner, const char* text, const char* caption, UINT style);

using MessageBoxHandler = int (*)(HWND owner, const char* text, const char* caption, UINT style);
// The backend installs its handler at start-up; tests install a recorder. nullptr: print to stderr.
void SetMessageBoxHandler(MessageBoxHandler handler);

}  // namespace plat
