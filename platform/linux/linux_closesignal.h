// The close signals as a descriptor, for a loop that waits on poll() rather than in
// a message queue (the idle watcher).
#pragma once

namespace plat {

// A signalfd over the signals InstallCloseSignals holds: readable while one is
// pending, until TakeCloseSignal takes it. -1 before the install.
int CloseSignalFd();

}  // namespace plat
