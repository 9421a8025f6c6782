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

// Voices the sound cue turns through, one after the other.
constexpr int VOICE_COUNT = 3;

// The frame's own values, written by nothing outside render/frame.cpp.
struct FrameState {
  int fadeState = 0;     // 0 idle, 2 fading out, 1 fading in
  float fadeAngle = 0.0f;  // radians, single precision throughout
  // One counter serves the start-up frame-rate test and the dialog's title
  // readout; the two never run in the same host.
  int frameCount = 0;
  plat::DWORD measureStart = 0;
  bool rateTestDone = false;
  plat::DWORD lastFrame = 0;  // limiter: start of the previous frame
  bool cueTimerSet = false;   // the first frame of the process has run
  plat::DWORD cueTimer = 0;
  int cueIndex = 0;           // voice most recently asked to play
  // Power sense: the display's state as last asked, and when.
  bool powerChecked = false;
  plat::DWORD powerCheck = 0;
  bool displayAsleep = false;
};
FrameState& FrameStateForTesting();
// Puts every run-state flag and the frame's own values back to their start values.
void ResetRunStateForTesting();

void RenderFrame(plat::HWND window, const FrameCalls& calls);
float FadeOutStep();
float FadeInStep();
void ResetFade();
