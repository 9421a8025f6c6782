// The video hardware warning, shown by the frame-rate test below 10 frames per second.
#pragma once
#include "platform/win.h"

// Set by the warning on every message it handles; forgives the next qualifying
// mouse movement of the saver (the cursor moved while the warning was in use).
extern bool g_bWarningShown;

// Modal over `owner`; leaves its verdict in g_bKeepRunning.
void ShowHardwareWarning(plat::HWND owner);
// Arranges for the uninstaller to run once at the next start of the system and says
// so; where the system runs no such thing, tells how to remove the package instead.
void ScheduleRemoval(plat::HWND dialog);
