// Placeholder until the saver window procedures land: nothing is handled.
#include "shell/saverproc.h"

plat::LRESULT GenericSaverProc(plat::HWND, plat::UINT, plat::WPARAM, plat::LPARAM) { return 0; }
