// One full-screen saver per Wayland display: a lock on a file in the user's
// runtime folder, held until the process ends (the system drops it then, even
// after a crash), so that two savers started in the same instant cannot both win.
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>

#include "platform/wayland/wayland_records.h"

namespace plat::wayland {

SaverClaim ClaimSaverInstance() {
  static int s_nLock = -1;
  if (!g_Globals.display) return SaverClaim::NoDisplay;
  if (s_nLock >= 0) return SaverClaim::Held;
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  const char* socket = std::getenv("WAYLAND_DISPLAY");
  std::string name = socket && *socket ? socket : "wayland-0";
  for (char& c : name)
    if (c == '/') c = '_';  // an absolute socket path
  std::string path = std::string(runtime && *runtime ? runtime : "/tmp") + "/kiru-saver-" + name + ".lock";
  int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  // Without a lock file nobody can be kept out: saving goes on rather than not at all.
  if (fd < 0) return SaverClaim::Held;
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    bool elsewhere = errno == EWOULDBLOCK;
    close(fd);
    if (elsewhere) return SaverClaim::Elsewhere;
    return SaverClaim::Held;
  }
  s_nLock = fd;
  return SaverClaim::Held;
}

}  // namespace plat::wayland
