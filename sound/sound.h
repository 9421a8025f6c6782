// The sound player: three voices, driven from the UI thread by posting thread messages.
#pragma once
#include "platform/win.h"

constexpr int VOICE_COUNT = 3;

void SoundStart();
void SoundPlay(plat::HWND window, int voice);
void SoundStop();
void SoundShutdown();
