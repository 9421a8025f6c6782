// The system's screen-saver facilities. The older family (Windows 95, 98, Me) has
// a password check the saver must pass before it closes, a "screen saver running"
// state and a password changer; both libraries are looked up at run time, as the
// NT family has neither. The input method is detached from the saver window on
// every system that loads one.
#include "platform/password.h"

#include "platform/windows/windows_winapi.h"

namespace plat {

using namespace win32;

namespace {

using VerifyFn = BOOL(WINAPI*)(::HWND);
using ChangeFn = ::DWORD(WINAPI*)(LPCSTR, ::HWND, ::DWORD, LPVOID);
using AssociateFn = HANDLE(WINAPI*)(::HWND, HANDLE);

// UI thread only.
HMODULE g_hPasswordLib = nullptr;
VerifyFn g_pVerify = nullptr;
PasswordCheck g_pTestCheck = nullptr;
HANDLE g_hInputContext = nullptr;  // what the saver window had before it was detached

template <typename Fn>
Fn Lookup(HMODULE library, const char* name) {
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(library, name)));
}

AssociateFn InputMethodAssociate() {
  // Only when the process has the library already: the saver never loads it.
  HMODULE imm = ::GetModuleHandleA("IMM32.DLL");
  return imm ? Lookup<AssociateFn>(imm, "ImmAssociateContext") : nullptr;
}

}  // namespace

bool IsOlderWindowsFamily() {
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof info;  // 148
  return ::GetVersionExA(&info) && info.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS;
}

bool LoadSaverPasswordCheck() {
  if (g_pTestCheck) return true;
  HKEY key;
  if (::RegOpenKeyA(HKEY_CURRENT_USER, "Control Panel\\Desktop", &key) != ERROR_SUCCESS) return false;
  ::DWORD usePassword = 0, size = sizeof usePassword;
  if (::RegQueryValueExA(key, "ScreenSaveUsePassword", nullptr, nullptr, reinterpret_cast<BYTE*>(&usePassword),
                         &size) == ERROR_SUCCESS &&
      usePassword != 0) {
    g_hPasswordLib = ::LoadLibraryA("PASSWORD.CPL");
    if (g_hPasswordLib) g_pVerify = Lookup<VerifyFn>(g_hPasswordLib, "VerifyScreenSavePwd");
    if (!g_pVerify) FreeSaverPasswordCheck();
  }
  ::RegCloseKey(key);
  return g_pVerify != nullptr;
}

void FreeSaverPasswordCheck() {
  if (g_hPasswordLib) ::FreeLibrary(g_hPasswordLib);
  g_hPasswordLib = nullptr;
  g_pVerify = nullptr;
}

bool HasSaverPasswordCheck() { return g_pTestCheck || g_pVerify; }

bool CheckSaverPassword(HWND window) {
  if (g_pTestCheck) return g_pTestCheck(window);
  return g_pVerify ? g_pVerify(Native(window)) != FALSE : true;
}

void SetSystemSaverRunning(bool on) {
  BOOL previous;
  ::SystemParametersInfoA(SPI_SCREENSAVERRUNNING, on ? TRUE : FALSE, &previous, 0);
}

void ChangeSaverPassword(HWND owner) {
  HMODULE mpr = ::LoadLibraryA("MPR.DLL");
  if (!mpr) return;
  if (auto change = Lookup<ChangeFn>(mpr, "PwdChangePasswordA")) change("SCRSAVE", Native(owner), 0, nullptr);
  ::FreeLibrary(mpr);
}

void DetachInputMethod(HWND window) {
  if (AssociateFn associate = InputMethodAssociate()) g_hInputContext = associate(Native(window), nullptr);
}

void RestoreInputMethod(HWND window) {
  AssociateFn associate = InputMethodAssociate();
  if (associate && g_hInputContext) associate(Native(window), g_hInputContext);
  g_hInputContext = nullptr;
}

void SetSaverPasswordCheckForTesting(PasswordCheck check) { g_pTestCheck = check; }

}  // namespace plat
