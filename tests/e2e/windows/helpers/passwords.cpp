// Stand-ins for the older family's password libraries, built as both MPR.DLL and
// PASSWORD.CPL: each call is appended to the file that KIRU_TEST_PASSWORD_LOG
// names. The password check refuses its first question and accepts the next.
#include <windows.h>

#include <cstdio>

namespace {

int g_nVerifyCalls = 0;

void Record(const char* line) {
  char path[MAX_PATH];
  if (!GetEnvironmentVariableA("KIRU_TEST_PASSWORD_LOG", path, sizeof path)) return;
  if (FILE* log = std::fopen(path, "ab")) {
    std::fprintf(log, "%s\n", line);
    std::fclose(log);
  }
}

}  // namespace

extern "C" __declspec(dllexport) DWORD WINAPI PwdChangePasswordA(LPCSTR provider, HWND, DWORD flags, LPVOID info) {
  char line[160];
  std::snprintf(line, sizeof line, "PwdChangePasswordA %s %lu %s", provider ? provider : "(null)",
                static_cast<unsigned long>(flags), info ? "info" : "null");
  Record(line);
  return ERROR_SUCCESS;
}

extern "C" __declspec(dllexport) BOOL WINAPI VerifyScreenSavePwd(HWND window) {
  char line[160];
  std::snprintf(line, sizeof line, "VerifyScreenSavePwd %d %s", ++g_nVerifyCalls, IsWindow(window) ? "window" : "none");
  Record(line);
  return g_nVerifyCalls > 1;
}
