// Placeholder until the voices land: sound does nothing.
#include "sound/sound.h"

void SoundStart() {}
void SoundPlay(plat::HWND, int) {}
void SoundStop() {}
void SoundShutdown() {}
