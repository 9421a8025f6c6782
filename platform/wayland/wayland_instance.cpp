// One full-screen saver per compositor and user: a lock on a file in the user's
// runtime folder, named after the compositor's socket, held until the process ends
// (the system drops it then, even after a crash), so that two savers started in
// the same instant cannot both win.
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <string>

#include "platform/wayland/wayland_records.h"

namespace plat::wayland {

// As libwayland finds the socket: $WAYLAND_DISPLAY in the runtime folder, or
// itself when it is a path; then every link and "." or ".." resolved, so that
// one socket has one name however it is given.
std::string SocketPath(const char* display, const char* runtime) {
  std::string name = display && *display ? display : "wayland-0";
  std::string path = name.front() == '/' ? name : std::string(runtime && *runtime ? runtime : ".") + "/" + name;
  char real[PATH_MAX];
  return realpath(path.c_str(), real) ? std::string(real) : path;
}

std::string LockPath(const char* display, const char* runtime) {
  std::string key = SocketPath(display, runtime);
  for (char& c : key)
    if (c == '/') c = '_';
  return std::string(runtime && *runtime ? runtime : "/tmp") + "/kiru-saver-" + key + ".lock";
}

SaverClaim ClaimSaverInstance() {
  static int s_nLock = -1;
  if (!g_Globals.display) return SaverClaim::NoDisplay;
  if (s_nLock >= 0) return SaverClaim::Held;
  std::string path = LockPath(std::getenv("WAYLAND_DISPLAY"), std::getenv("XDG_RUNTIME_DIR"));
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
