// The compositor's idle notification for the idle watcher (stub: no protocol yet).
#include "platform/wayland/wayland_desktop.h"

namespace plat::wayland {

const char* OpenIdleWatch(DWORD) { return nullptr; }
void SetIdleWatchWait(DWORD) {}
int WaitIdleWatch(DWORD) { return -1; }
int IdleWatchFd() { return -1; }

}  // namespace plat::wayland
