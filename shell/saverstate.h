// Process-global state of the screen-saver shell, set once per run.
#pragma once

#include "platform/win.h"
#include "render/runstate.h"  // g_hSaverWnd and g_bPreview: the saver window, full screen or hosted

extern bool g_bWin9x;  // older Windows family: password handling exists
