#include "settings/settings.h"

ModuleParams g_Modules[MODULE_COUNT + 1];
ModuleParams g_ModuleDefaults[MODULE_COUNT + 1];

float g_fDepth, g_fHorz, g_fVert, g_fXrot, g_fYrot, g_fZrot, g_fSpeed;
int g_nModule;
float g_fAnimTime;
bool g_bSoundOn;
int g_nCycleSeconds;
bool g_bNoFrameWarn;
