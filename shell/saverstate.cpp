#include "shell/saverstate.h"

// g_hSaverWnd and g_bPreview are defined with the run state, which resets them for tests.
bool g_bWin9x;
