// One frame: the timed behaviour of the host (frame-rate test, title readout, sound
// cue, module cycling with fades, limiter), the module's drawing and the swap.
#include "render/frame.h"

#include <GL/gl.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>

#include "platform/clock.h"
#include "platform/closesignal.h"
#include "platform/glsurface.h"
#include "platform/power.h"
#include "platform/queue.h"
#include "platform/regstore.h"
#include "platform/startuptrace.h"
#include "platform/window.h"
#include "render/fpsreadout.h"
#include "render/glcontext.h"
#include "render/runstate.h"
#include "render/views.h"
#include "scene/modules.h"
#include "settings/settings.h"

namespace {

constexpr plat::DWORD CUE_INTERVAL = 3200;    // ms between voice starts
constexpr plat::DWORD FRAME_FLOOR = 30;       // ms between frame starts
constexpr int RATE_TEST_FRAMES = 12;
constexpr int READOUT_FRAMES = 10;
constexpr plat::DWORD POWER_POLL = 1000;      // ms between looks at the display's power state
// pi/120 in single precision: 60 steps make a quarter turn.
constexpr float FADE_STEP = std::bit_cast<float>(std::uint32_t{0x3CD67744});

FrameState g_Frame;

// Start-up test in full screen: the 3rd to the 12th frame starts span nine
// intervals, divided by ten. False when the warning ended the run.
bool FrameRateTest(plat::HWND host, const FrameCalls& calls) {
  if (g_Frame.frameCount == 2) g_Frame.measureStart = plat::GetTickCount();
  ++g_Frame.frameCount;
  if (g_Frame.frameCount < RATE_TEST_FRAMES) return true;

  plat::DWORD elapsed = plat::GetTickCount() - g_Frame.measureStart;
  float rate = 1000.0f / (static_cast<float>(elapsed) / 10.0f);
  if (g_fForcedFrameRate > 0.0f) rate = g_fForcedFrameRate;
  if (rate >= 20.0f) {
    plat::RegBatch quiet(plat::RegLoss::Quiet);  // the program's own flag: measured again if lost
    DisableFrameWarning(host);
  } else if (rate < 10.0f) {
    g_fMeasuredFps = rate;
    calls.showHardwareWarning(host);
    // The dialog's own loop may have run the close request (a pointer move past
    // the dialog): the context is gone, so nothing more of this frame may run.
    if (g_bClosed) return false;
    if (!g_bKeepRunning) {
      StopFrames();
      plat::PostMessage(host, plat::WM_CLOSE, 0, 0);
      return false;
    }
  }
  g_Frame.rateTestDone = true;
  return true;
}

void TitleReadout(plat::HWND host) {
  if (g_Frame.frameCount == 0) g_Frame.measureStart = plat::GetTickCount();
  if (g_Frame.frameCount >= READOUT_FRAMES) {
    plat::DWORD now = plat::GetTickCount();
    float rate = 1000.0f / (static_cast<float>(now - g_Frame.measureStart) / static_cast<float>(g_Frame.frameCount));
    char title[96];
    std::snprintf(title, sizeof title, "Kiru Settings ~ (animation frames per second: %.0f)", rate);
    plat::SetWindowText(host, title);
    g_Frame.frameCount = 0;
    g_Frame.measureStart = now;
  }
  ++g_Frame.frameCount;
}

void SoundCue(plat::HWND host, const FrameCalls& calls) {
  if (!g_bSoundOn) {
    calls.stopSound();
    return;
  }
  plat::DWORD now = plat::GetTickCount();
  if (now - g_Frame.cueTimer >= CUE_INTERVAL) {
    g_Frame.cueTimer = now;
    g_Frame.cueIndex = (g_Frame.cueIndex + 1) % VOICE_COUNT;
    calls.playVoice(host, g_Frame.cueIndex);
  }
}

void CycleModules() {
  if (CountEnabledModules() <= 1) return;
  plat::DWORD shown = plat::GetTickCount() - g_dwModuleStart;
  // Unsigned product: a huge cycle time wraps as a tick count would, never overflows.
  if (shown <= static_cast<plat::DWORD>(g_nCycleSeconds) * 1000u) return;

  if (g_Frame.fadeState == 0) g_Frame.fadeState = 2;
  if (g_Frame.fadeState == 2) {
    if (FadeOutStep() == 0.0f) {
      SwitchModule(NextEnabledModule(g_nModule));
      g_Frame.fadeState = 1;
    }
  } else if (g_Frame.fadeState == 1) {
    if (FadeInStep() == 1.0f) {
      g_Frame.fadeState = 0;
      RestartModuleTimer();
    }
  }
}

// Frames begin at least 30 ms apart. The signed difference keeps a clock that
// steps back from stalling the saver.
void LimitFrameRate() {
  auto diff = static_cast<std::int32_t>(plat::GetTickCount() - g_Frame.lastFrame);
  plat::DWORD d = diff < 0 ? 0u - static_cast<plat::DWORD>(diff) : static_cast<plat::DWORD>(diff);
  if (d < FRAME_FLOOR) plat::Sleep(FRAME_FLOOR - d);
  g_Frame.lastFrame = plat::GetTickCount();
}

// The display's power state is asked at most once a second: on X it is a round
// trip to the server, and a display that has just gone dark may take a second
// to be noticed without harm.
bool DisplayAsleep() {
  plat::DWORD now = plat::GetTickCount();
  if (!g_Frame.powerChecked || now - g_Frame.powerCheck >= POWER_POLL) {
    g_Frame.powerChecked = true;
    g_Frame.powerCheck = now;
    g_Frame.displayAsleep = plat::IsDisplayAsleep();
  }
  return g_Frame.displayAsleep;
}

}  // namespace

FrameState& FrameStateForTesting() { return g_Frame; }

void ResetRunStateForTesting() {
  g_hSaverWnd = 0;
  g_bPreview = false;
  g_bSaverMode = g_bFullScreen = g_bQuit = g_bClosed = g_bInPump = g_bEditFocus = false;
  g_bKeepRunning = true;
  g_fMeasuredFps = 0.0f;
  g_fForcedFrameRate = 0.0f;
  g_dwModuleStart = 0;
  g_Frame = FrameState{};
}

float FadeOutStep() {
  g_Frame.fadeAngle += FADE_STEP;
  float c = std::cos(g_Frame.fadeAngle);
  float v = c * c * (c < 0.0f ? -1.0f : 1.0f);
  if (v <= 0.0f) {
    v = 0.0f;
    g_Frame.fadeAngle = 0.0f;
  }
  glColor4f(v, v, v, 1.0f);
  return v;
}

float FadeInStep() {
  g_Frame.fadeAngle += FADE_STEP;
  float s = std::sin(g_Frame.fadeAngle);
  float v = s * s;
  if (v >= 1.0f) {
    v = 1.0f;
    g_Frame.fadeAngle = 0.0f;
  }
  glColor4f(v, v, v, 1.0f);
  return v;
}

void ResetFade() {
  g_Frame.fadeAngle = 0.0f;
  glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
  g_Frame.fadeState = 0;
}

void RenderFrame(plat::HWND window, const FrameCalls& calls) {
  if (!g_Frame.cueTimerSet) {
    g_Frame.cueTimerSet = true;
    g_Frame.cueTimer = plat::GetTickCount();
  }

  // A hosted saver as big as the screen (XScreenSaver's window) skips the test too:
  // the host owns the input, so nobody could answer the warning.
  if (g_bFullScreen && !g_bPreview && !g_bNoFrameWarn && !g_Frame.rateTestDone) {
    if (!FrameRateTest(window, calls)) return;
  } else if (!g_bSaverMode) {
    TitleReadout(window);
  }

  SoundCue(window, calls);
  if (!g_bSaverMode) calls.markModule(window, g_nModule);
  if (g_bSaverMode) CycleModules();
  LimitFrameRate();
  // Quit meanwhile, or closed by a dialog of this frame; or asked to close from
  // outside, when the host (XScreenSaver's window) may go any moment: a GL call
  // on a window the server has destroyed leaves the renderer with garbage.
  if (g_bQuit || plat::CloseSignalPending()) return;
  // A minimised settings dialog shows nothing: its frames go on (title, sound) undrawn.
  if (!g_bSaverMode && plat::IsIconic(window)) return;
  // While the display sleeps only the picture stops; cycling and the sound go on,
  // at the limiter's pace, which costs next to nothing without the drawing.
  if (DisplayAsleep()) return;

  plat::TraceStartup("frame started");
  int drawn = DrawModuleInViews(g_nModule);
  if (drawn != 0 && !plat::CloseSignalPending()) {
    if (g_bShowFps) DrawFpsReadout();
    plat::TraceStartup("frame drawn");
    plat::SwapBuffers(g_hDC);
    plat::EndStartupTrace();
  }
}
