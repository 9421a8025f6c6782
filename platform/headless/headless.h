// Controls of the off-screen backend: the desktop it pretends to have, the
// framebuffer configs it offers, failures to inject, and what it recorded.
#pragma once
#include <string>
#include <vector>

#include "platform/glsurface.h"
#include "platform/monitors.h"
#include "platform/win.h"
#include "platform/window.h"

namespace plat::headless {

// Configs as DescribeFbConfigs lists them (index fields 1..n in order) and the
// index ChooseFbConfig answers (0 = the system finds none).
void SetFbConfigsForTesting(std::vector<FbConfig> configs, int systemChoice);
void SetDesktopSizeForTesting(int width, int height);
// What GetMonitors answers; empty (the default) makes the desktop one monitor.
void SetMonitorsForTesting(std::vector<MonitorInfo> monitors);
void SetSaverClaimedElsewhereForTesting(bool claimed);  // ClaimSaverInstance then fails

struct GLFailures {
  bool getDC = false;
  bool setConfig = false;
  std::vector<int> refusedConfigs;  // indices SetFbConfig refuses (a server's BadMatch)
  bool createRC = false;
  bool makeCurrent = false;  // making a context current
  bool release = false;      // MakeCurrent(0, 0)
  bool deleteRC = false;
  bool releaseDC = false;
};
void SetGLFailuresForTesting(const GLFailures& failures);

int PresentedFrames();           // SwapBuffers calls that succeeded
int RaiseCount(HWND window);     // RaiseWindow calls on the window
void MinimiseForTesting(HWND window, bool minimised);  // what IsIconic then answers
int SelectedFbConfig(GLDC dc);   // index given to SetFbConfig, 0 = none
bool CursorShown();
bool CursorClipped();
std::string WindowTitle(HWND window);
// What would run if the display were lost (SetDisplayLostHook), nullptr if nothing.
DisplayLostHook DisplayLostHookForTesting();

// Destroys the remaining windows and the context, restores every default.
void ResetForTesting();

}  // namespace plat::headless
