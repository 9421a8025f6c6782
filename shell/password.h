// Password hooks of the older Windows family; on other systems they do nothing
// and the first close request closes.
#pragma once
#include "platform/win.h"

bool VerifyPassword(plat::HWND window);
void LoadPasswordVerifier();
void ReleasePasswordVerifier();
void SetSaverRunning(bool on);
void ChangePassword(plat::HWND owner);
// Forgets the prompt history (a fresh run); for tests.
void ResetPasswordStateForTesting();
