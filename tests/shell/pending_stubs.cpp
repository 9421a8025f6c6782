// Stand-in for the settings dialog until it is in the tree, so that the shell
// tests link; it steps aside by itself then, and this file can go.
#include "platform/win.h"

#if !__has_include("ui/settingsdlg.h")
int RunSettingsDialog(plat::HWND) { return 0; }
#endif
