#include "shell/saverpassword.h"

#include "platform/clock.h"
#include "platform/password.h"
#include "platform/queue.h"
#include "platform/window.h"
#include "shell/saverstate.h"

using namespace plat;

bool g_bVerified;
bool g_bVerifying;

namespace {
constexpr DWORD NO_PROMPT_YET = 0xFFFFFFFF;
constexpr DWORD PROMPT_GAP_MS = 200;  // a refused prompt is not followed by another this soon
DWORD g_dwLastPrompt = NO_PROMPT_YET;
}  // namespace

void ResetPasswordStateForTesting() {
  g_dwLastPrompt = NO_PROMPT_YET;
  g_bVerified = false;
  g_bVerifying = false;
}

bool VerifyPassword(HWND window) {
  if (g_bVerifying || g_bVerified) return false;
  if (!g_bWin9x || !HasSaverPasswordCheck()) {
    g_bVerified = true;
    return true;
  }
  DWORD now = GetTickCount();
  if (g_dwLastPrompt != NO_PROMPT_YET && now - g_dwLastPrompt < PROMPT_GAP_MS) return g_bVerified;

  g_bVerifying = true;
  MSG msg;
  for (int i = 0; i < 2; ++i) PeekMessage(&msg, window, WM_TIMER, WM_TIMER, PM_REMOVE | PM_NOYIELD);
  g_bVerified = SendMessage(window, WM_VERIFY_PASSWORD, 0, 0) != 0;
  g_bVerifying = false;

  if (!g_bVerified) ShowCursor(false);  // the prompt showed it
  g_dwLastPrompt = GetTickCount();
  return g_bVerified;
}

void SetSaverRunning(bool on) {
  if (g_bWin9x) SetSystemSaverRunning(on);
}

void LoadPasswordVerifier() {
  if (!g_bWin9x) return;
  if (HasSaverPasswordCheck()) ReleasePasswordVerifier();
  if (LoadSaverPasswordCheck()) SetSaverRunning(true);
}

void ReleasePasswordVerifier() {
  if (!g_bWin9x || !HasSaverPasswordCheck()) return;
  FreeSaverPasswordCheck();
  SetSaverRunning(false);
}

void ChangePassword(HWND owner) { ChangeSaverPassword(owner); }
