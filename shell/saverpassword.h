// Password hooks of the older Windows family; on other systems they do nothing
// and the first close request closes.
#pragma once
#include "platform/win.h"

constexpr plat::UINT WM_VERIFY_PASSWORD = 0x8000;  // shares its number with WM_SOUND_DONE

extern bool g_bVerified;   // the close is allowed; input is no longer read
extern bool g_bVerifying;  // a password prompt is open

bool VerifyPassword(plat::HWND window);
void LoadPasswordVerifier();
void ReleasePasswordVerifier();
void SetSaverRunning(bool on);
void ChangePassword(plat::HWND owner);
// Forgets the prompt history (a fresh run); for tests.
void ResetPasswordStateForTesting();
