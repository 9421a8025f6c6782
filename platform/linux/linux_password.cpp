// Linux: no older Windows family, so no password check is ever loaded and the
// system keeps no screen-saver-running state. Tests may stand in a check.
#include "platform/password.h"

namespace plat {
namespace {
PasswordCheck g_pCheck = nullptr;  // UI thread only
}  // namespace

bool IsOlderWindowsFamily() { return false; }

bool LoadSaverPasswordCheck() { return g_pCheck != nullptr; }
void FreeSaverPasswordCheck() {}
bool HasSaverPasswordCheck() { return g_pCheck != nullptr; }
bool CheckSaverPassword(HWND window) { return g_pCheck ? g_pCheck(window) : true; }

void SetSystemSaverRunning(bool) {}
void ChangeSaverPassword(HWND) {}
void DetachInputMethod(HWND) {}
void RestoreInputMethod(HWND) {}

void SetSaverPasswordCheckForTesting(PasswordCheck check) { g_pCheck = check; }

}  // namespace plat
