// Placeholder until the warning dialog lands: keep running.
#include "render/framepump.h"
#include "ui/warning.h"

void ShowHardwareWarning(plat::HWND) { g_bKeepRunning = true; }
