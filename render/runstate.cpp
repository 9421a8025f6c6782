#include "render/framepump.h"

bool g_bSaverMode;
bool g_bFullScreen;
bool g_bQuit;
bool g_bClosed;
bool g_bInPump;
bool g_bEditFocus;
bool g_bKeepRunning = true;
float g_fMeasuredFps;
plat::DWORD g_dwModuleStart;
int g_nFadeState;
float g_fFadeAngle;
