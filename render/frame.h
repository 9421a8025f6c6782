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
