// One full-screen saver per compositor and user: a lock on a file in the user's
// runtime folder, named after the compositor's socket, held until the process ends.
#include <climits>
#include <cstdlib>
#include <string>

#include "platform/linux/linux_lockfile.h"
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
  static bool s_bHeld = false;
  if (!g_Globals.display) return SaverClaim::NoDisplay;
  if (s_bHeld) return SaverClaim::Held;
  if (!HoldLockFile(LockPath(std::getenv("WAYLAND_DISPLAY"), std::getenv("XDG_RUNTIME_DIR"))))
    return SaverClaim::Elsewhere;
  s_bHeld = true;
  return SaverClaim::Held;
}

}  // namespace plat::wayland
