// The session bus, for the idle watcher (libdbus-1): its claim on the session, GNOME's
// idle monitor and session manager, other saver daemons' names, and
// org.freedesktop.ScreenSaver, served where nobody serves it, so that browsers and
// video players can keep the session awake.
#pragma once
#include <string>

#include "platform/win.h"

namespace plat::bus {

// Connects to $DBUS_SESSION_BUS_ADDRESS, or the user's bus in $XDG_RUNTIME_DIR, and
// never starts a bus of its own; false when there is none, with a line saying why.
bool Connect(std::string* failure);
int Fd();
// Takes a well-known name for good; false when another connection holds it.
bool ClaimName(const char* name);

// Serves org.freedesktop.ScreenSaver unless someone does, and follows GNOME's session
// manager's inhibitors and the names of other saver daemons.
void WatchSession();
bool Inhibited();
const char* OtherDaemon();  // "mate-screensaver", "xfce4-screensaver" or nullptr
// The tick of a client's last SimulateUserActivity; false when none came.
bool SimulatedActivity(DWORD* tick);
// What GetActive answers (and ActiveChanged tells); GetSessionIdleTime asks `idleMs`.
void SetSaverActive(bool active);
void SetIdleTimeQuery(DWORD (*idleMs)());

// GNOME's idle monitor (org.gnome.Mutter.IdleMonitor): false when it is not on the
// bus; else a watch that fires at the wait, and the idle time on request.
bool OpenIdleMonitor(DWORD waitMs);
void SetIdleMonitorWait(DWORD waitMs);
DWORD IdleMonitorTime();

// What Dispatch saw.
enum : unsigned {
  BUS_IDLE = 1,  // the idle monitor's watch fired, or a client simulated activity
  BUS_SESSION = 2,  // inhibitors or daemons changed
  BUS_LOST = 4,  // the bus connection broke
};
// Sends what waits and handles what came, also what blocking calls left queued:
// call it before each poll and when Fd() is readable.
unsigned Dispatch();

}  // namespace plat::bus
