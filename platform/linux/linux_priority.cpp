#include "platform/priority.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>

namespace plat {

bool RaiseThreadPriority() {
  // On Linux the nice value of a thread id is the thread's own, not the process's.
  auto tid = static_cast<id_t>(syscall(SYS_gettid));
  errno = 0;
  int nice = getpriority(PRIO_PROCESS, tid);
  if (errno != 0) return false;
  return setpriority(PRIO_PROCESS, tid, nice - 1) == 0;
}

}  // namespace plat
