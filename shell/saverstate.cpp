#include "shell/saverstate.h"

std::uintptr_t g_hInstance;
// g_hSaverWnd is defined with the frame pump's run state, which resets it for tests.
bool g_bPreview;
bool g_bWin9x;
bool g_bWarningShown;
