// What the idle watcher (kiru --watch) asks of the user's session: one watcher per
// session, how long the session has been idle, whether someone keeps it awake or
// another saver daemon serves it, the full-screen saver as a child process, and one
// wait for all of it. The Linux program serves it over its X11 and Wayland desktops
// and the session bus; the headless and Win32 desktops have nothing to watch (on
// Windows the system starts Kiru.scr itself).
#pragma once
#include "platform/win.h"

namespace plat {

// Whether this program starts itself when the session is idle: the settings dialog
// then holds the switch and the wait that Windows keeps on its own Screen Saver page.
bool HasIdleWatcher();

enum class WatchClaim { Held, Elsewhere };
// One watcher per session: a name on the session bus where there is one, else a
// lock per display. Held until the process ends.
WatchClaim ClaimSessionWatch();

// Chooses the session's idle source by what it offers (the compositor's idle
// notification on Wayland, GNOME's idle monitor on the session bus, X11's
// MIT-SCREEN-SAVER), serves the session bus's screen-saver inhibitors where nobody
// does, and starts following the user's store. The source's name for the log;
// nullptr when the session offers none.
const char* OpenIdleSource(DWORD waitMs);
void SetIdleWait(DWORD waitMs);
// Milliseconds since the last input (a bus client's SimulateUserActivity counts as
// one). A source that only says when the wait is reached answers the wait and the
// time since then, and 0 before it.
DWORD GetIdleTime();
// Someone asks the session to stay awake: an inhibitor on the session bus, or one the
// desktop's own session manager keeps.
bool IsIdleInhibited();
// The name of another saver daemon running in the session (XScreenSaver,
// mate-screensaver, xfce4-screensaver); nullptr when none does.
const char* OtherSaverDaemon();

// Full-screen saving (this program's /s) as a child process; false when it could
// not be started.
bool StartSaver();
bool SaverRunning();
// How the last saver ended: its exit status, or 128 + the signal that ended it.
int SaverExitStatus();
// Asks a running saver to close as a close signal does (it saves first) and waits
// for it to end.
void EndSaver();

// What WaitWatch saw; several may come together.
enum WatchEvent : unsigned {
  WATCH_IDLE = 1,  // the idle source spoke
  WATCH_SESSION = 2,  // inhibitors or other saver daemons changed
  WATCH_STORE = 4,  // the user's store was written
  WATCH_SAVER = 8,  // the saver ended
  WATCH_CLOSE = 16,  // a close signal came (closesignal.h; taken here)
  WATCH_LOST = 32,  // the idle source's connection broke (the session is going)
};
constexpr DWORD WATCH_FOREVER = 0xFFFFFFFF;
// Waits at most `ms` (WATCH_FOREVER: no limit) for one of the events; 0 when none came.
unsigned WaitWatch(DWORD ms);

}  // namespace plat
