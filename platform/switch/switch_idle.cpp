// idle.h for the Linux program: the idle source the session offers (the Wayland
// compositor's notification, GNOME's idle monitor, X11's MIT-SCREEN-SAVER), the
// session bus, the saver as a child of this same executable, and one poll over
// everything the watcher waits for.
#include "platform/idle.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/closesignal.h"
#include "platform/linux/linux_childprocess.h"
#include "platform/linux/linux_closesignal.h"
#include "platform/linux/linux_filewatch.h"
#include "platform/linux/linux_lockfile.h"
#include "platform/linux/linux_sessionbus.h"
#include "platform/regstore.h"
#include "platform/wayland/wayland_desktop.h"
#include "platform/x11/x11_desktop.h"

namespace plat {
namespace {

enum class Source { None, Wayland, Monitor, X11 };
Source g_Source = Source::None;
DWORD g_dwWait = 0;

// What the Wayland compositor said last, and when it said the session was idle.
bool g_bWaylandIdle = false;
DWORD g_dwWaylandIdleAt = 0;

ChildProcess g_Saver;
int g_nSaverStatus = 0;
int g_nStoreFd = -1;
bool g_bDaemonLooked = false;  // the X display was opened to look for XScreenSaver

// The watcher's name on the session bus: whoever holds it watches this session.
constexpr const char* WATCHER_NAME = "example.quillmoor.Kiru.Watcher";

// A saver's grace to save and go when asked; a large store takes about a second.
constexpr int SAVER_GRACE_MS = 10000;
// Without a pidfd the saver's end is looked for this often.
constexpr DWORD SAVER_CHECK_MS = 1000;

bool WantWayland() {
  const char* forced = std::getenv("KIRU_DESKTOP");
  if (forced && std::strcmp(forced, "x11") == 0) return false;
  const char* socket = std::getenv("WAYLAND_DISPLAY");
  return (socket && *socket) || (forced && std::strcmp(forced, "wayland") == 0);
}

// The display this session draws on, as a file name.
std::string DisplayName() {
  const char* name = WantWayland() ? std::getenv("WAYLAND_DISPLAY") : std::getenv("DISPLAY");
  std::string display = name && *name ? name : "none";
  for (char& c : display)
    if (c == '/') c = '_';
  return display;
}

// A lock in the user's runtime folder, held until the process ends.
WatchClaim ClaimDisplay() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  std::string folder = runtime && *runtime ? runtime : "/tmp";
  std::string path = folder + "/kiru-watch-" + std::to_string(getuid()) + "-" + DisplayName() + ".lock";
  return HoldLockFile(path) ? WatchClaim::Held : WatchClaim::Elsewhere;
}

void TakeWaylandState(int state, unsigned* events) {
  if (state < 0) {
    std::fprintf(stderr, "kiru: the Wayland compositor has gone\n");
    *events |= WATCH_LOST;
    return;
  }
  if ((state == 1) != g_bWaylandIdle) {
    g_bWaylandIdle = state == 1;
    g_dwWaylandIdleAt = GetTickCount();
    *events |= WATCH_IDLE;
  }
}

unsigned TakeBus(unsigned seen) {
  unsigned events = 0;
  if (seen & bus::BUS_IDLE) events |= WATCH_IDLE;
  if (seen & bus::BUS_SESSION) events |= WATCH_SESSION;
  if (seen & bus::BUS_LOST) {
    std::fprintf(stderr, "kiru: the session bus has gone\n");
    events |= WATCH_LOST;
  }
  return events;
}

std::string SelfPath() {
  char buf[4096];
  ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
  return n > 0 ? std::string(buf, static_cast<std::size_t>(n)) : std::string("kiru");
}

}  // namespace

bool HasIdleWatcher() { return true; }

WatchClaim ClaimSessionWatch() {
  std::string noBus;
  if (bus::Connect(&noBus)) return bus::ClaimName(WATCHER_NAME) ? WatchClaim::Held : WatchClaim::Elsewhere;
  WatchClaim claim = ClaimDisplay();
  // Said by the watcher that goes on without it; a second one has its one line.
  if (claim == WatchClaim::Held) std::fprintf(stderr, "kiru: %s\n", noBus.c_str());
  return claim;
}

const char* OpenIdleSource(DWORD waitMs) {
  g_dwWait = waitMs;
  const char* name = nullptr;
  bool wayland = WantWayland();
  if (wayland && (name = wayland::OpenIdleWatch(waitMs))) {
    g_Source = Source::Wayland;
  } else if (bus::OpenIdleMonitor(waitMs)) {
    g_Source = Source::Monitor;
    name = "org.gnome.Mutter.IdleMonitor (GNOME)";
  } else if (!wayland && x11::OpenIdleCounter()) {
    // On Wayland, Xwayland's counter would see only what X clients are given.
    g_Source = Source::X11;
    name = "MIT-SCREEN-SAVER (X11)";
  }
  if (!name) return nullptr;
  bus::WatchSession();
  bus::SetIdleTimeQuery(GetIdleTime);
  std::string store = RegHiveFile(RegRoot::CurrentUser);
  if (!store.empty()) g_nStoreFd = WatchFile(store);  // without a home there is nothing to follow
  return name;
}

void SetIdleWait(DWORD waitMs) {
  if (waitMs == g_dwWait) return;
  g_dwWait = waitMs;
  if (g_Source == Source::Wayland) {
    wayland::SetIdleWatchWait(waitMs);
    g_bWaylandIdle = false;  // the notification counts afresh from now
  }
  if (g_Source == Source::Monitor) bus::SetIdleMonitorWait(waitMs);
}

DWORD GetIdleTime() {
  DWORD idle = 0;
  switch (g_Source) {
    case Source::X11: idle = x11::IdleCounter(); break;
    case Source::Monitor: idle = bus::IdleMonitorTime(); break;
    case Source::Wayland: idle = g_bWaylandIdle ? g_dwWait + (GetTickCount() - g_dwWaylandIdleAt) : 0; break;
    case Source::None: break;
  }
  DWORD simulated;
  if (bus::SimulatedActivity(&simulated) && GetTickCount() - simulated < idle) idle = GetTickCount() - simulated;
  return idle;
}

bool IsIdleInhibited() { return bus::Inhibited(); }

const char* OtherSaverDaemon() {
  if (const char* daemon = bus::OtherDaemon()) return daemon;
  if (WantWayland() || !std::getenv("DISPLAY")) return nullptr;
  g_bDaemonLooked = true;
  if (x11::XScreenSaverRuns()) return "XScreenSaver";
  return nullptr;
}

bool StartSaver() {
  std::string self = SelfPath();
  if (!StartChild("/proc/self/exe", {self, "/s"}, &g_Saver)) return false;
  bus::SetSaverActive(true);
  return true;
}

bool SaverRunning() { return g_Saver.pid >= 0; }
int SaverExitStatus() { return g_nSaverStatus; }

void EndSaver() {
  if (g_Saver.pid < 0) return;
  g_nSaverStatus = EndChild(&g_Saver, SAVER_GRACE_MS);
  bus::SetSaverActive(false);
}

unsigned WaitWatch(DWORD ms) {
  // The X connection is there for the idle counter or XScreenSaver's daemon.
  bool x11Open = g_Source == Source::X11 || g_bDaemonLooked;
  unsigned events = TakeBus(bus::Dispatch());
  if (g_Source == Source::Wayland) TakeWaylandState(wayland::WaitIdleWatch(0), &events);
  if (x11Open && x11::TakeEvents()) events |= WATCH_SESSION;
  if (events) return events;

  std::vector<pollfd> fds;
  auto add = [&fds](int fd) {
    if (fd >= 0) fds.push_back({fd, POLLIN, 0});
    return fd >= 0 ? fds.size() - 1 : SIZE_MAX;
  };
  std::size_t signals = add(CloseSignalFd());
  std::size_t saver = add(g_Saver.fd);
  std::size_t store = add(g_nStoreFd);
  std::size_t busFd = add(bus::Fd());
  std::size_t source = add(g_Source == Source::Wayland ? wayland::IdleWatchFd() : -1);
  std::size_t display = add(x11Open ? x11::DisplayFd() : -1);
  if (g_Saver.pid >= 0 && g_Saver.fd < 0 && ms > SAVER_CHECK_MS) ms = SAVER_CHECK_MS;
  int timeout = ms == WATCH_FOREVER ? -1 : static_cast<int>(ms > 0x7FFFFFFF ? 0x7FFFFFFF : ms);
  if (poll(fds.data(), fds.size(), timeout) < 0 && errno != EINTR) return WATCH_LOST;

  auto ready = [&fds](std::size_t i) { return i != SIZE_MAX && fds[i].revents != 0; };
  if (ready(signals) && TakeCloseSignal()) events |= WATCH_CLOSE;
  if ((ready(saver) || g_Saver.fd < 0) && ChildEnded(&g_Saver, &g_nSaverStatus)) {
    bus::SetSaverActive(false);
    events |= WATCH_SAVER;
  }
  if (ready(store) && TakeFileChange()) events |= WATCH_STORE;
  if (ready(busFd)) events |= TakeBus(bus::Dispatch());
  if (ready(source)) TakeWaylandState(wayland::WaitIdleWatch(0), &events);
  if (ready(display) && x11::TakeEvents()) events |= WATCH_SESSION;  // a server gone ends the process there
  return events;
}

}  // namespace plat
