#include "platform/closesignal.h"

#include "platform/linux/linux_closesignal.h"

#include <signal.h>
#include <sys/signalfd.h>

#include <csignal>
#include <initializer_list>

#include "platform/queue.h"

namespace plat {
namespace {

sigset_t g_closeSignals;
bool g_bInstalled = false;
// A thread made before the install does not block them and runs this.
volatile std::sig_atomic_t g_bCaught = 0;

void NoteCloseSignal(int) { g_bCaught = 1; }

// Readable while a signal is pending: the GUI thread's waits wake on it, and the
// idle watcher polls it. Never read: TakeCloseSignal takes the signals.
int g_nSignalFd = -1;
void NothingToPump(void*) {}

}  // namespace

// Blocked, the signals wait for the GUI thread to take them; every thread made
// afterwards inherits the block. A handler would run on whichever thread the
// kernel picks: on a renderer thread waiting in a condition variable it wakes the
// wait spuriously (glibc 2.36's condition variables can then hang), and a
// thread-sanitizer build runs it only when that thread next calls into the C
// library, which an idle renderer thread may never do: the saver would neither
// see the request nor save before its window went.
void InstallCloseSignals() {
  sigemptyset(&g_closeSignals);
  sigaddset(&g_closeSignals, SIGTERM);
  sigaddset(&g_closeSignals, SIGINT);
  struct sigaction hangUp {};
  // A blocked signal stays pending even when ignored: nohup's SIGHUP is left out.
  if (sigaction(SIGHUP, nullptr, &hangUp) == 0 && hangUp.sa_handler != SIG_IGN) sigaddset(&g_closeSignals, SIGHUP);
  for (int signal : {SIGTERM, SIGINT, SIGHUP})
    if (sigismember(&g_closeSignals, signal)) std::signal(signal, NoteCloseSignal);
  pthread_sigmask(SIG_BLOCK, &g_closeSignals, nullptr);
  // Installed again, the same descriptor takes the set as it is now.
  if (int fd = signalfd(g_nSignalFd, &g_closeSignals, SFD_NONBLOCK | SFD_CLOEXEC); fd >= 0) g_nSignalFd = fd;
  if (g_nSignalFd >= 0) SetThreadEventSource(g_nSignalFd, NothingToPump, nullptr);
  g_bInstalled = true;
}

bool TakeCloseSignal() {
  bool taken = g_bCaught != 0;
  g_bCaught = 0;
  const timespec now{};
  while (g_bInstalled && sigtimedwait(&g_closeSignals, nullptr, &now) > 0) taken = true;
  return taken;
}

bool CloseSignalPending() {
  if (g_bCaught) return true;
  sigset_t pending;
  if (!g_bInstalled || sigpending(&pending) != 0) return false;
  for (int signal : {SIGTERM, SIGINT, SIGHUP})
    if (sigismember(&g_closeSignals, signal) && sigismember(&pending, signal)) return true;
  return false;
}

int CloseSignalFd() { return g_bInstalled ? g_nSignalFd : -1; }

}  // namespace plat
