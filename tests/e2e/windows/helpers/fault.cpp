// Faults after plat::EndProcessOnFault, as Kiru.scr's entry sets it up: an access
// violation on the main thread, or with "thread" on a second one. The cleanup says
// on stdout that it ran. tests/e2e/windows/fault.sh reads the status and the output.
#include <cstdio>
#include <cstring>

#include "platform/fault.h"
#include "platform/windows/windows_winapi.h"

namespace {

volatile int* g_pNowhere = nullptr;

void Cleanup() {
  std::puts("cleanup");
  std::fflush(stdout);
}

DWORD WINAPI Fault(void*) {
  *g_pNowhere = 1;
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  plat::EndProcessOnFault(Cleanup);
  if (argc > 1 && std::strcmp(argv[1], "thread") == 0) {
    HANDLE thread = ::CreateThread(nullptr, 0, Fault, nullptr, 0, nullptr);
    ::WaitForSingleObject(thread, INFINITE);
    return 3;  // the fault ended the process first
  }
  Fault(nullptr);
  return 3;
}
