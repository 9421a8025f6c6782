// The system's screen-saver facilities. Only the older Windows family has the
// password ones (a password check the saver must pass before it closes, the
// system's "screen saver running" state, the password changer); the Linux
// implementation reports that family absent and holds no check, so those paths
// never run there. The input method is kept out of the saver window where the
// system has one (Windows); elsewhere detaching it does nothing.
#pragma once
#include "platform/win.h"

namespace plat {

bool IsOlderWindowsFamily();

// Loads the user's password check if one is set; true when a check is held afterwards.
bool LoadSaverPasswordCheck();
void FreeSaverPasswordCheck();
bool HasSaverPasswordCheck();
// Prompts for the password over `window`; true when the saver may close.
bool CheckSaverPassword(HWND window);

void SetSystemSaverRunning(bool on);
void ChangeSaverPassword(HWND owner);

// Detaches the input method from the window, keeping what it had; restoring puts
// that back.
void DetachInputMethod(HWND window);
void RestoreInputMethod(HWND window);

// Tests stand in a check as if one had been loaded; nullptr drops it.
using PasswordCheck = bool (*)(HWND window);
void SetSaverPasswordCheckForTesting(PasswordCheck check);

}  // namespace plat
