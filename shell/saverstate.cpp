#include "shell/saverstate.h"

std::uintptr_t g_hInstance;
// g_hSaverWnd and g_bPreview are defined with the run state, which resets them for tests.
bool g_bWin9x;
