// Process-global state of the screen-saver shell, set once per run.
#pragma once
#include <cstdint>

#include "platform/win.h"
#include "render/framepump.h"  // g_hSaverWnd, the saver window, full screen or hosted

extern std::uintptr_t g_hInstance;  // the executable; kept for a Win32 backend
extern bool g_bPreview;             // hosted: input never ends saving, cursor stays
extern bool g_bWin9x;               // older Windows family: password handling exists
// Set by the video hardware warning on every message it handles; forgives the next
// qualifying mouse movement (the cursor moved while the warning was in use).
extern bool g_bWarningShown;
