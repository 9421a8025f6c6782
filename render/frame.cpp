// One frame: the timed behaviour of the host (frame-rate test, title readout, sound
// cue, module cycling with fades, limiter), the module's drawing and the swap.
#include "render/frame.h"

#include <GL/gl.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>

#include "platform/clock.h"
#include "platform/glsurface.h"
#include "platform/power.h"
#include "platform/queue.h"
#include "platform/startuptrace.h"
#include "platform/window.h"
#include "render/fpsreadout.h"
#include "render/glcontext.h"
#include "render/runstate.h"
#include "scene/modules.h"
#include "settings/settings.h"

namespace {

constexpr plat::DWORD kCueInterval = 3200;    // ms between voice starts
constexpr plat::DWORD kFrameFloor = 30;       // ms between frame starts
constexpr int kRateTestFrames = 12;
constexpr int kReadoutFrames = 10;
constexpr plat::DWORD kPowerPoll = 1000;      // ms between looks at the display's power state
// pi/120 in single precision: 60 steps make a quarter turn.
constexpr float kFadeStep = std::bit_cast<float>(std::uint32_t{0x3CD67744});
constexpr int kVoiceCount = 3;

// Start-up test in full screen: the 3rd to the 12th frame starts span nine
// intervals, divided by ten. False when the warning ended the run.
bool FrameRateTest(plat::HWND host, const FrameCalls& calls) {
  if (g_nFrameCount == 2) g_dwMeasureStart = plat::GetTickCount();
  ++g_nFrameCount;
  if (g_nFrameCount < kRateTestFrames) return true;

  plat::DWORD elapsed = plat::GetTickCount() - g_dwMeasureStart;
  float rate = 1000.0f / (static_cast<float>(elapsed) / 10.0f);
  if (g_fForcedFrameRate > 0.0f) rate = g_fForcedFrameRate;
  if (rate >= 20.0f) {
    DisableFrameWarning(host);
  } else if (rate < 10.0f) {
    g_fMeasuredFps = rate;
    calls.showHardwareWarning(host);
    // The dialog's own loop may have run the close request (a pointer move past
    // the dialog): the context is gone, so nothing more of this frame may run.
    if (g_bClosed) return false;
    if (!g_bKeepRunning) {
      g_bQuit = true;
      plat::PostMessage(host, plat::WM_CLOSE, 0, 0);
      return false;
    }
  }
  g_bRateTestDone = true;
  return true;
}

void TitleReadout(plat::HWND host) {
  if (g_nFrameCount == 0) g_dwMeasureStart = plat::GetTickCount();
  if (g_nFrameCount >= kReadoutFrames) {
    plat::DWORD now = plat::GetTickCount();
    float rate = 1000.0f / (static_cast<float>(now - g_dwMeasureStart) / static_cast<float>(g_nFrameCount));
    char title[96];
    std::snprintf(title, sizeof title, "Kiru Settings ~ (animation frames per second: %.0f)", rate);
    plat::SetWindowText(host, title);
    g_nFrameCount = 0;
    g_dwMeasureStart = now;
  }
  ++g_nFrameCount;
}

void SoundCue(plat::HWND host, const FrameCalls& calls) {
  if (!g_bSoundOn) {
    calls.stopSound();
    return;
  }
  plat::DWORD now = plat::GetTickCount();
  if (now - g_dwCueTimer >= kCueInterval) {
    g_dwCueTimer = now;
    g_nCueIndex = (g_nCueIndex + 1) % kVoiceCount;
    calls.playVoice(host, g_nCueIndex);
  }
}

void CycleModules() {
  if (CountEnabledModules() <= 1) return;
  plat::DWORD shown = plat::GetTickCount() - g_dwModuleStart;
  // Unsigned product: a huge cycle time wraps as a tick count would, never overflows.
  if (shown <= static_cast<plat::DWORD>(g_nCycleSeconds) * 1000u) return;

  if (g_nFadeState == 0) g_nFadeState = 2;
  if (g_nFadeState == 2) {
    if (FadeOutStep() == 0.0f) {
      SwitchModule(NextEnabledModule(g_nModule));
      g_nFadeState = 1;
    }
  } else if (g_nFadeState == 1) {
    if (FadeInStep() == 1.0f) {
      g_nFadeState = 0;
      g_dwModuleStart = plat::GetTickCount();
    }
  }
}

// Frames begin at least 30 ms apart. The signed difference keeps a clock that
// steps back from stalling the saver.
void LimitFrameRate() {
  auto diff = static_cast<std::int32_t>(plat::GetTickCount() - g_dwLastFrame);
  plat::DWORD d = diff < 0 ? 0u - static_cast<plat::DWORD>(diff) : static_cast<plat::DWORD>(diff);
  if (d < kFrameFloor) plat::Sleep(kFrameFloor - d);
  g_dwLastFrame = plat::GetTickCount();
}

// The display's power state is asked at most once a second: on X it is a round
// trip to the server, and a display that has just gone dark may take a second
// to be noticed without harm.
bool DisplayAsleep() {
  plat::DWORD now = plat::GetTickCount();
  if (!g_bPowerChecked || now - g_dwPowerCheck >= kPowerPoll) {
    g_bPowerChecked = true;
    g_dwPowerCheck = now;
    g_bDisplayAsleep = plat::IsDisplayAsleep();
  }
  return g_bDisplayAsleep;
}

}  // namespace

float FadeOutStep() {
  g_fFadeAngle += kFadeStep;
  float c = std::cos(g_fFadeAngle);
  float v = c * c * (c < 0.0f ? -1.0f : 1.0f);
  if (v <= 0.0f) {
    v = 0.0f;
    g_fFadeAngle = 0.0f;
  }
  glColor4f(v, v, v, 1.0f);
  return v;
}

float FadeInStep() {
  g_fFadeAngle += kFadeStep;
  float s = std::sin(g_fFadeAngle);
  float v = s * s;
  if (v >= 1.0f) {
    v = 1.0f;
    g_fFadeAngle = 0.0f;
  }
  glColor4f(v, v, v, 1.0f);
  return v;
}

void ResetFade() {
  g_fFadeAngle = 0.0f;
  glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
  g_nFadeState = 0;
}

void RenderFrame(plat::HWND window, const FrameCalls& calls) {
  if (!g_bCueTimerSet) {
    g_bCueTimerSet = true;
    g_dwCueTimer = plat::GetTickCount();
  }

  // A hosted saver as big as the screen (XScreenSaver's window) skips the test too:
  // the host owns the input, so nobody could answer the warning.
  if (g_bFullScreen && !g_bPreview && !g_bNoFrameWarn && !g_bRateTestDone) {
    if (!FrameRateTest(window, calls)) return;
  } else if (!g_bSaverMode) {
    TitleReadout(window);
  }

  SoundCue(window, calls);
  if (!g_bSaverMode) calls.markModule(window, g_nModule);
  if (g_bSaverMode) CycleModules();
  LimitFrameRate();
  if (g_bQuit) return;  // quit meanwhile, or closed by a dialog of this frame
  // A minimised settings dialog shows nothing: its frames go on (title, sound) undrawn.
  if (!g_bSaverMode && plat::IsIconic(window)) return;
  // While the display sleeps only the picture stops; cycling and the sound go on,
  // at the limiter's pace, which costs next to nothing without the drawing.
  if (DisplayAsleep()) return;

  plat::TraceStartup("frame started");
  int drawn = DrawModule(g_nModule);
  if (drawn != 0) {
    if (g_bShowFps) DrawFpsReadout();
    plat::TraceStartup("frame drawn");
    plat::SwapBuffers(g_hDC);
    plat::EndStartupTrace();
  }
}
