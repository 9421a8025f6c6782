// The sound player: three voices, driven from the UI thread by posting thread messages.
// SoundStart and SoundShutdown bracket a run; SoundPlay asks one voice to play the
// embedded track once; SoundStop silences every voice and drops its pending requests.
// Only SoundShutdown blocks: it waits for the voice threads to end, for a second at
// most; a voice stuck in its output is abandoned.
#pragma once
#include "platform/win.h"
#include "render/frame.h"  // VOICE_COUNT: the voices the frame's sound cue turns through

// Posted (wParam 0, lParam 0) to the window of a play request whose playback ran to
// its end without a stop or quit.
constexpr plat::UINT WM_SOUND_DONE = plat::WM_APP;

void SoundStart();
void SoundPlay(plat::HWND window, int voice);
void SoundStop();
void SoundShutdown();
// Whether a shutdown left a voice behind; the process must then end without running
// static destructors (std::_Exit), which that voice may still be using.
bool SoundVoicesAbandoned();
