#include "platform/fault.h"

#include "platform/windows/windows_winapi.h"

namespace plat {
namespace {

FaultCleanup g_pFaultCleanup = nullptr;
LONG g_nFaulting = 0;

LONG WINAPI EndOnFault(EXCEPTION_POINTERS*) {
  // Only the first fault cleans up; a second one (inside the cleanup, or on
  // another thread meanwhile) ends the process without it.
  if (::InterlockedExchange(&g_nFaulting, 1) == 0 && g_pFaultCleanup) g_pFaultCleanup();
  ::TerminateProcess(::GetCurrentProcess(), static_cast<UINT>(-1));
  return EXCEPTION_EXECUTE_HANDLER;
}

}  // namespace

void EndProcessOnFault(FaultCleanup cleanup) {
  g_pFaultCleanup = cleanup;
  ::SetErrorMode(::SetErrorMode(0) | SEM_NOGPFAULTERRORBOX);
  ::SetUnhandledExceptionFilter(EndOnFault);
}

}  // namespace plat
