#include "shell/saverstate.h"

std::uintptr_t g_hInstance;
plat::HWND g_hSaverWnd;
bool g_bPreview;
bool g_bWin9x;
bool g_bWarningShown;
