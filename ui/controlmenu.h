// The Control Menu (dialog 105): modal help for the keys, one at a time.
#pragma once
#include "platform/win.h"

void ShowControlMenu(plat::HWND owner);
