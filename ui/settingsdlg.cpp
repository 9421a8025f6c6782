#include "ui/settingsdlg.h"

#include <cstdio>
#include <cstdlib>
#include <optional>

#include "platform/dialog.h"
#include "platform/idle.h"
#include "platform/queue.h"
#include "platform/regstore.h"
#include "platform/window.h"
#include "render/runstate.h"
#include "render/glcontext.h"
#include "settings/registry.h"
#include "settings/saverpage.h"
#include "settings/settings.h"
#include "sound/sound.h"
#include "ui/about.h"
#include "ui/dialog_templates.h"
#include "ui/dialogutil.h"

namespace {

constexpr int MIN_SECONDS = 1;
constexpr int MAX_SECONDS = 9999;
constexpr int SECONDS_FIELD_CHARS = 9;

plat::HWND g_hPreviewWnd;
int g_nLastSpinPos;
int g_nLastWaitSpinPos;
DialogPumpFn g_pPump;  // handed over as the dialog's parameter
// The screen saver's switch and wait as the dialog showed them, so that OK stores
// only what the user changed (a wait of seconds from a hand edit stays as it is).
SaverPage g_SaverPageShown;

int ReadNumberField(plat::HWND dialog, int id) {
  char text[SECONDS_FIELD_CHARS + 1];
  plat::GetDlgItemText(dialog, id, text, sizeof text);
  return std::atoi(text);
}
int ReadSecondsField(plat::HWND dialog) { return ReadNumberField(dialog, IDC_SECONDS); }

// A stored number longer than the field would be cut to its first digits when read
// back; it is shown, and so stored, as the largest number the field holds instead.
constexpr int SECONDS_FIELD_MAX = 999999999;

void WriteNumber(plat::HWND dialog, int id, int value) {
  if (value > SECONDS_FIELD_MAX) value = SECONDS_FIELD_MAX;
  char text[16];
  std::snprintf(text, sizeof text, "%d", value);
  plat::SetDlgItemText(dialog, id, text);
}
void WriteSeconds(plat::HWND dialog, int seconds) { WriteNumber(dialog, IDC_SECONDS, seconds); }

int ClampSeconds(int seconds) {
  return seconds < MIN_SECONDS ? MIN_SECONDS : seconds > MAX_SECONDS ? MAX_SECONDS : seconds;
}

void StoreSeconds(plat::HWND dialog, int seconds) {
  g_nCycleSeconds = ClampSeconds(seconds);
  WriteSeconds(dialog, g_nCycleSeconds);
}

bool HasSaverPage(plat::HWND dialog) { return plat::GetDlgItem(dialog, IDC_SAVER_ACTIVE) != 0; }

void ShowSaverPage(plat::HWND dialog) {
  g_SaverPageShown = ReadSaverPage();
  plat::CheckDlgButton(dialog, IDC_SAVER_ACTIVE, g_SaverPageShown.active);
  plat::SetScrollRange(plat::GetDlgItem(dialog, IDC_SAVER_SPIN), plat::SB_CTL, SAVER_WAIT_MIN_MINUTES,
                       SAVER_WAIT_MAX_MINUTES, false);
  WriteNumber(dialog, IDC_SAVER_WAIT, SaverWaitMinutes(g_SaverPageShown.waitSeconds));
}

// What changed since the dialog showed it; a wait is also stored when the switch
// goes on over a wait the store did not hold (or held damaged), so that it says
// what the watcher will use.
void StoreSaverPage(plat::HWND dialog) {
  bool active = plat::IsDlgButtonChecked(dialog, IDC_SAVER_ACTIVE);
  int minutes = ClampSaverMinutes(ReadNumberField(dialog, IDC_SAVER_WAIT));
  std::optional<bool> storeActive;
  std::optional<int> storeWait;
  if (active != g_SaverPageShown.active) storeActive = active;
  if (minutes != SaverWaitMinutes(g_SaverPageShown.waitSeconds) || (active && !g_SaverPageShown.waitStored))
    storeWait = minutes * 60;
  if (storeActive || storeWait) WriteSaverPage(storeActive, storeWait);
}

void StartUp(plat::HWND dialog) {
  g_bSaverMode = false;
  SelectRegKey(dialog, KIRU_KEY);
  LoadSettings();
  g_hPreviewWnd = plat::GetDlgItem(dialog, IDC_PREVIEW);
  CenterOnPointerMonitor(dialog);
  bool previewReady = CreateGLContext(g_hPreviewWnd, 32);
  plat::CheckDlgButton(dialog, IDC_SOUND, g_bSoundOn);
  if (previewReady)
    for (int n = 1; n <= MODULE_COUNT; ++n)
      plat::CheckDlgButton(dialog, IDC_ENABLE_FIRST - 1 + n, g_Modules[n].active);
  plat::SetScrollRange(plat::GetDlgItem(dialog, IDC_SPIN), plat::SB_CTL, MIN_SECONDS, MAX_SECONDS, false);
  WriteSeconds(dialog, g_nCycleSeconds);
  if (HasSaverPage(dialog)) ShowSaverPage(dialog);
  if (!previewReady) {
    plat::PostMessage(dialog, plat::WM_CLOSE, 0, 0);  // the context has said why already
    return;
  }
  StartFramePump(dialog);
  SoundStart();  // always, so that the sound can be switched on later
  if (g_bSoundOn) SoundPlay(dialog, 0);
}

void SetAllEnabled(plat::HWND dialog, bool active) {
  for (int n = 1; n <= MODULE_COUNT; ++n) {
    g_Modules[n].active = active;
    plat::CheckDlgButton(dialog, IDC_ENABLE_FIRST - 1 + n, active);
  }
}

void Cancel(plat::HWND dialog) {
  StopFrames();
  plat::ShowWindow(dialog, false);  // gone before the voices are waited for
  SoundStop();
  SoundShutdown();
  // Within a pass the pump closes the dialog; outside one nothing else would.
  if (!g_bInPump && !g_bClosed) plat::PostMessage(dialog, plat::WM_CLOSE, 0, 0);
}

void OnCommand(plat::HWND dialog, unsigned id, unsigned notification) {
  g_bEditFocus = false;
  if (id >= IDC_SELECT_FIRST && id < IDC_SELECT_FIRST + MODULE_COUNT) {
    SwitchModule(static_cast<int>(id) - (IDC_SELECT_FIRST - 1));
    return;
  }
  if (id >= IDC_ENABLE_FIRST && id < IDC_ENABLE_FIRST + MODULE_COUNT) {
    g_Modules[id - (IDC_ENABLE_FIRST - 1)].active = plat::IsDlgButtonChecked(dialog, static_cast<int>(id));
    return;
  }
  switch (id) {
    case IDC_ENABLE_ALL:
      SetAllEnabled(dialog, true);
      break;
    case IDC_DISABLE_ALL:
      SetAllEnabled(dialog, false);
      break;
    case IDC_SOUND:
      g_bSoundOn = plat::IsDlgButtonChecked(dialog, IDC_SOUND);
      break;
    case IDC_SECONDS:
      if (notification == plat::EN_KILLFOCUS) StoreSeconds(dialog, ReadSecondsField(dialog));
      else g_bEditFocus = true;
      break;
    case IDC_SAVER_WAIT:
      if (notification == plat::EN_KILLFOCUS)
        WriteNumber(dialog, IDC_SAVER_WAIT, ClampSaverMinutes(ReadNumberField(dialog, IDC_SAVER_WAIT)));
      else
        g_bEditFocus = true;
      break;
    case IDC_ABOUT:
      ShowAboutDialog(dialog);
      break;
    case plat::IDOK: {
      g_nCycleSeconds = ReadSecondsField(dialog);
      StoreModuleParams(g_nModule);
      plat::RegBatch batch;  // one replace of the store for both
      SaveSettings();
      if (HasSaverPage(dialog)) StoreSaverPage(dialog);
      Cancel(dialog);
      break;
    }
    case plat::IDCANCEL:
      Cancel(dialog);
      break;
  }
}

// The two spins share their arithmetic: the seconds a module is shown (1 to 9999)
// and the screen saver's wait in minutes (1 to 9999).
void OnSpin(plat::HWND dialog, plat::WPARAM wParam, plat::LPARAM lParam) {
  bool wait = lParam != 0 && static_cast<plat::HWND>(lParam) == plat::GetDlgItem(dialog, IDC_SAVER_SPIN);
  int field = wait ? IDC_SAVER_WAIT : IDC_SECONDS;
  int& lastPosition = wait ? g_nLastWaitSpinPos : g_nLastSpinPos;
  int value = ReadNumberField(dialog, field);  // a typed number is the base
  switch (plat::LOWORD(wParam)) {
    case plat::SB_THUMBPOSITION: {
      int position = static_cast<short>(plat::HIWORD(wParam));
      value = position <= lastPosition ? value + 1 : value - 1;
      lastPosition = position;
      break;
    }
    case plat::SB_TOP:
      value = MAX_SECONDS;
      break;
    case plat::SB_BOTTOM:
      value = 0;
      break;
    case plat::SB_THUMBTRACK:
    case plat::SB_ENDSCROLL:
      return;
  }
  if (wait) WriteNumber(dialog, IDC_SAVER_WAIT, ClampSaverMinutes(value));
  else StoreSeconds(dialog, value);
}

void OnClose(plat::HWND dialog) {
  if (!BeginClose()) return;
  plat::ShowWindow(dialog, false);
  DestroyGLContext();
  SoundStop();
  SoundShutdown();
  plat::EndDialog(dialog, 1);
}

}  // namespace

plat::LRESULT SettingsDialogProc(plat::HWND dialog, plat::UINT message, plat::WPARAM wParam, plat::LPARAM lParam) {
  switch (message) {
    case plat::WM_INITDIALOG:
      g_pPump = reinterpret_cast<DialogPumpFn>(lParam);
      StartUp(dialog);
      return 1;
    case plat::WM_COMMAND:
      OnCommand(dialog, plat::LOWORD(wParam), plat::HIWORD(wParam));
      return 1;
    case plat::WM_HSCROLL:
    case plat::WM_VSCROLL:
      OnSpin(dialog, wParam, lParam);
      return 1;
    case FramePump:
      if (g_pPump) g_pPump(dialog);
      return 0;
    case plat::WM_CLOSE:
      OnClose(dialog);
      return 1;
  }
  return 0;
}

int RunSettingsDialog(plat::HWND owner, DialogPumpFn pump) {
  const plat::DialogTemplate& layout =
      plat::HasIdleWatcher() ? SettingsWithSaverPageTemplate() : SettingsDialogTemplate();
  int result = plat::DialogBox(layout, owner, SettingsDialogProc, reinterpret_cast<plat::LPARAM>(pump));
  // Every way the dialog closes ends it with 1; one that could not be shown ends so too.
  return result == plat::IDCANCEL ? 1 : result;
}

void ResetSettingsDialogForTesting() {
  g_hPreviewWnd = 0;
  g_nLastSpinPos = 0;
  g_nLastWaitSpinPos = 0;
}
