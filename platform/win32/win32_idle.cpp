// On Windows the system starts Kiru.scr when the session is idle, after the wait of
// its own Screen Saver page: there is nothing for Kiru to watch.
#include "platform/idle.h"

namespace plat {

bool HasIdleWatcher() { return false; }
WatchClaim ClaimSessionWatch() { return WatchClaim::Held; }
const char* OpenIdleSource(DWORD) { return nullptr; }
void SetIdleWait(DWORD) {}
DWORD GetIdleTime() { return 0; }
bool IsIdleInhibited() { return false; }
const char* OtherSaverDaemon() { return nullptr; }
bool StartSaver() { return false; }
bool SaverRunning() { return false; }
int SaverExitStatus() { return 0; }
void EndSaver() {}
unsigned WaitWatch(DWORD) { return WATCH_LOST; }

}  // namespace plat
