// The system's screen-saver password facilities. Only the older Windows family has
// them (a password check the saver must pass before it closes, the system's
// "screen saver running" state, the password changer); the Linux implementation
// reports that family absent and holds no check, so those paths never run there.
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

// Tests stand in a check as if one had been loaded; nullptr drops it.
using PasswordCheck = bool (*)(HWND window);
void SetSaverPasswordCheckForTesting(PasswordCheck check);

}  // namespace plat
