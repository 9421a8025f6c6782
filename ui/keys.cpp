// Keyboard controls: every key press steers the working view of the current module,
// switches modules, opens the Control Menu, or ends the saver.
#include "ui/keys.h"

#include <cstdio>

#include "platform/clock.h"
#include "platform/msgbox.h"
#include "render/frame.h"
#include "render/runstate.h"
#include "settings/settings.h"
#include "ui/controlmenu.h"
#include "ui/dialogutil.h"

namespace {

constexpr float ROTATE_STEP = 1.5f;
constexpr float SPEED_STEP = 0.125f;

// Zoom and move steps grow with the distance: depth truncated, then integer / 50.
int DepthSteps() {
  float depth = g_fDepth;
  // Outside int range the conversion is undefined; such depths are far past any step.
  if (!(depth > -2147483520.0f)) return 0;
  if (depth > 2147483520.0f) return 2147483520 / 50;
  return static_cast<int>(depth) / 50;
}

void ChangeSpeed(float delta) {
  g_fSpeed += delta;
  if (g_fSpeed > SPEED_MAX) g_fSpeed = SPEED_MAX;
  if (g_fSpeed < SPEED_MIN) g_fSpeed = SPEED_MIN;
}

void StepModule(plat::HWND window, bool forward) {
  SwitchModule(forward ? NextEnabledModule(g_nModule) : PrevEnabledModule(g_nModule));
  RestartModuleTimer();
  ResetFade();
  if (!g_bSaverMode) CheckSelectButton(window, g_nModule);
}

void ShowParams(plat::HWND window) {
  char text[512];
  std::snprintf(text, sizeof text,
                "g_fDepth %f\ng_fHorz  %f\ng_fVert  %f\ng_fXrot  %f\ng_fYrot  %f\ng_fZrot  %f\ng_fSpeed %f\n",
                g_fDepth, g_fHorz, g_fVert, g_fXrot, g_fYrot, g_fZrot, g_fSpeed);
  plat::MessageBox(window, text, "Params", plat::MB_OK);
}

}  // namespace

plat::LRESULT HandleKey(plat::HWND window, plat::UINT message, plat::WPARAM virtualKey) {
  if (g_bSaverMode && !g_bFullScreen) return 0;  // the display-settings preview
  if (message != plat::WM_KEYDOWN && message != plat::WM_SYSKEYDOWN) return 0;

  int k = DepthSteps();
  float zoomStep = k >= 1 ? static_cast<float>(k) : 0.3f;
  float moveStep = k >= 1 ? static_cast<float>(k) : 0.1f;

  switch (virtualKey) {
    case plat::VK_PRIOR:
    case plat::VK_NUMPAD9: g_fDepth += zoomStep; break;
    case plat::VK_NEXT:
    case plat::VK_NUMPAD3: g_fDepth -= zoomStep; break;
    case plat::VK_UP:
    case plat::VK_NUMPAD8: g_fVert += moveStep; break;
    case plat::VK_DOWN:
    case plat::VK_NUMPAD2: g_fVert -= moveStep; break;
    case plat::VK_LEFT:
    case plat::VK_NUMPAD4: g_fHorz -= moveStep; break;
    case plat::VK_RIGHT:
    case plat::VK_NUMPAD6: g_fHorz += moveStep; break;
    case plat::VK_F2: g_fXrot -= ROTATE_STEP; break;
    case plat::VK_F3: g_fXrot += ROTATE_STEP; break;
    case plat::VK_F4: g_fYrot -= ROTATE_STEP; break;
    case plat::VK_F5: g_fYrot += ROTATE_STEP; break;
    case plat::VK_F6: g_fZrot += ROTATE_STEP; break;
    case plat::VK_F7: g_fZrot -= ROTATE_STEP; break;
    case plat::VK_F8: ChangeSpeed(-SPEED_STEP); break;
    case plat::VK_F9: ChangeSpeed(SPEED_STEP); break;
    case plat::VK_HOME: RestoreModuleDefaults(g_nModule); break;
    case plat::VK_RETURN: StepModule(window, true); break;
    case plat::VK_BACK: StepModule(window, false); break;
    case plat::VK_F1: ShowControlMenu(window); break;
    case plat::VK_F11: ShowParams(window); break;
    case plat::VK_ESCAPE: StopFrames(); break;
    default:
      if (g_bSaverMode) StopFrames();  // any other key ends saving; the dialog ignores it
      break;
  }
  return 0;
}
