#include "platform/linux/linux_lockfile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

namespace plat {

bool HoldLockFile(const std::string& path) {
  int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) return true;
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    bool elsewhere = errno == EWOULDBLOCK;
    close(fd);
    return !elsewhere;
  }
  return true;  // the descriptor stays open with the lock
}

}  // namespace plat
