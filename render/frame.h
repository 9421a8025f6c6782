// One frame of the host: the start-up frame-rate test or the dialog's title
// readout, the sound cue, module cycling with its fades, the 30 ms limiter, the
// module's drawing and the buffer swap. What a frame needs from the layers above
// (the hardware warning, the voices, the dialog's Select buttons) it reaches
// through the calls its host hands over.
#pragma once
#include "platform/win.h"

struct FrameCalls {
  void (*showHardwareWarning)(plat::HWND owner);  // modal; leaves its verdict in g_bKeepRunning
  void (*playVoice)(plat::HWND window, int voice);
  void (*stopSound)();
  void (*markModule)(plat::HWND dialog, int module);  // the dialog's Select buttons
};

void RenderFrame(plat::HWND window, const FrameCalls& calls);
float FadeOutStep();
float FadeInStep();
void ResetFade();

// Power sense: whether the display is blanked, asked at most once a second, and
// the wait that stands in for frames while it is.
bool DisplayAsleep();
void WaitWhileAsleep();
// While the display sleeps the pump waits on the queue with this (default
// plat::WaitMessage); tests replace it.
using IdleWaitFn = void (*)(plat::DWORD ms);
void SetIdleWaitForTesting(IdleWaitFn wait);  // nullptr: the real wait
