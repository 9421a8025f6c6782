// Placeholder until the dialogs land.
#include "ui/dialogutil.h"

void CheckSelectButton(plat::HWND, int) {}
void CenterOnDesktop(plat::HWND) {}
