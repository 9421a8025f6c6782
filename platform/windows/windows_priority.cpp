#include "platform/priority.h"

#include "platform/windows/windows_winapi.h"

namespace plat {

bool RaiseThreadPriority() {
  return ::SetThreadPriority(::GetCurrentThread(), THREAD_PRIORITY_ABOVE_NORMAL) != 0;
}

}  // namespace plat
