// Placeholder until the dialogs land.
#include "ui/controlmenu.h"

void ShowControlMenu(plat::HWND) {}
