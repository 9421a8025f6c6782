// Shared test scaffolding: a hand-driven clock and sleeper, a message box recorder,
// and a clean run state on the off-screen backend.
#pragma once
#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "platform/clock.h"
#include "platform/headless/headless.h"
#include "platform/queue.h"
#include "render/runstate.h"
#include "shell/saverloop.h"
#include "render/glcontext.h"
#include "scene/quadric.h"
#include "settings/settings.h"
#include "tests/support/msgbox_recorder.h"

namespace harness {

struct Box : kiru_test::RecordedMessageBox {
  bool contextHeld;  // g_hRC or g_hDC still set when the box was shown
};

inline plat::DWORD g_dwNow;
inline std::vector<plat::DWORD> g_Sleeps;
inline std::vector<Box> g_Boxes;

inline plat::DWORD Now() { return g_dwNow; }
inline void Nap(plat::DWORD ms) {
  g_Sleeps.push_back(ms);
  g_dwNow += ms;
}
inline void NoteBox(const kiru_test::RecordedMessageBox& box) {
  g_Boxes.push_back(Box{box, g_hRC != 0 || g_hDC != 0});
}

// Every module enabled with the common view; module `current` loaded.
inline void SetModules(std::initializer_list<int> enabled, int current) {
  for (int n = 0; n <= MODULE_COUNT; ++n) {
    g_Modules[n] = ModuleParams{40.0f + n, 0, 0, -90, 0, 0, 0.5f, false};
    g_ModuleDefaults[n] = g_Modules[n];
  }
  for (int n : enabled) g_Modules[n].active = true;
  g_nModule = current;
  LoadModuleParams(current);
}

// Drops whatever the calling thread's queue still holds.
inline void DrainQueue() {
  plat::MSG msg;
  while (plat::PeekMessage(&msg, 0, 0, 0, plat::PM_REMOVE)) {
  }
}

inline std::vector<plat::MSG> Queued(plat::HWND window) {
  std::vector<plat::MSG> out;
  plat::MSG msg;
  while (plat::PeekMessage(&msg, window, 0, 0, plat::PM_REMOVE)) out.push_back(msg);
  for (const plat::MSG& m : out) plat::PostMessage(m.hwnd, m.message, m.wParam, m.lParam);
  return out;
}

class Test : public ::testing::Test {
 protected:
  void SetUp() override {
    plat::headless::ResetForTesting();
    DrainQueue();
    ResetRunStateForTesting();
    SetHardwareWarningForTesting(nullptr);
    g_dwNow = 100000;
    g_Sleeps.clear();
    g_Boxes.clear();
    plat::SetTickSourceForTesting(Now);
    plat::SetSleeperForTesting(Nap);
    recorder_.emplace(NoteBox);
    g_bSoundOn = false;
    g_bNoFrameWarn = false;
    g_nCycleSeconds = 15;
    SetModules({1, 2, 3}, 1);
  }
  void TearDown() override {
    DestroyGLContext();
    plat::headless::ResetForTesting();
    DrainQueue();
    SetHardwareWarningForTesting(nullptr);
    plat::SetTickSourceForTesting(nullptr);
    plat::SetSleeperForTesting(nullptr);
    recorder_.reset();
  }

 private:
  std::optional<kiru_test::MessageBoxRecorder> recorder_;
};

}  // namespace harness
