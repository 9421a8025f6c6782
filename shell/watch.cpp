#include "shell/watch.h"

#include <cstdio>
#include <string>

#include "platform/clock.h"
#include "platform/closesignal.h"
#include "platform/idle.h"
#include "settings/saverpage.h"
#include "shell/watchpolicy.h"

namespace {

plat::DWORD WaitMs(const SaverPage& page) { return static_cast<plat::DWORD>(page.waitSeconds) * 1000; }

// What is wrong with the stored page, once for each new complaint.
void TellComplaint(const SaverPage& page, std::string* told) {
  if (page.complaint == *told) return;
  *told = page.complaint;
  std::string::size_type start = 0;
  while (start < told->size()) {
    std::string::size_type end = told->find('\n', start);
    if (end == std::string::npos) end = told->size();
    std::fprintf(stderr, "kiru: %s\n", told->substr(start, end - start).c_str());
    start = end + 1;
  }
}

void TellDaemon(const char* now, const char* before) {
  if (now && !before)
    std::fprintf(stderr, "kiru: %s runs in this session and starts the screen saver here: Kiru starts nothing\n", now);
  else if (!now && before)
    std::fprintf(stderr, "kiru: %s has ended: Kiru starts the screen saver again\n", before);
}

}  // namespace

int RunWatcher() {
  plat::InstallCloseSignals();
  if (plat::ClaimSessionWatch() == plat::WatchClaim::Elsewhere) {
    std::fprintf(stderr, "kiru: a watcher already runs in this session\n");
    return 0;
  }
  // Opened with the default wait: the store is read once it is watched, so that no
  // change between the two is missed (and a large store is read once).
  const char* source = plat::OpenIdleSource(static_cast<plat::DWORD>(SAVER_WAIT_DEFAULT) * 1000);
  if (!source) {
    std::fprintf(stderr,
                 "kiru: nothing in this session tells when it is idle; the watcher needs a Wayland compositor "
                 "with ext-idle-notify-v1 or org_kde_kwin_idle (KDE Plasma, sway, Hyprland, labwc), GNOME "
                 "(org.gnome.Mutter.IdleMonitor on the session bus) or an X server with MIT-SCREEN-SAVER\n");
    return 1;
  }
  std::fprintf(stderr, "kiru: watching for idle through %s\n", source);
  std::string told;
  SaverPage page = ReadSaverPage();
  TellComplaint(page, &told);
  plat::SetIdleWait(WaitMs(page));

  WatchPolicy policy(plat::GetTickCount());
  const char* daemon = nullptr;
  for (;;) {
    const char* other = plat::OtherSaverDaemon();
    TellDaemon(other, daemon);
    daemon = other;
    WatchInputs in;
    in.enabled = page.active;
    in.inhibited = plat::IsIdleInhibited();
    in.otherDaemon = other != nullptr;
    in.saverRunning = plat::SaverRunning();
    in.waitMs = WaitMs(page);
    in.idleMs = plat::GetIdleTime();
    in.now = plat::GetTickCount();
    WatchStep step = policy.Step(in);
    if (step.start) {
      if (!plat::StartSaver()) std::fprintf(stderr, "kiru: the screen saver could not be started\n");
      continue;
    }
    unsigned events = plat::WaitWatch(step.recheckMs);
    if (events & plat::WATCH_CLOSE) {
      plat::EndSaver();
      return 0;
    }
    if (events & plat::WATCH_LOST) {
      std::fprintf(stderr, "kiru: the watcher ends with its session\n");
      plat::EndSaver();
      return -1;
    }
    if (events & plat::WATCH_SAVER) {
      int status = plat::SaverExitStatus();
      if (status != 0)
        std::fprintf(stderr, "kiru: the screen saver ended with status %d: it starts again after input and the wait\n",
                     status);
    }
    if (events & plat::WATCH_STORE) {
      page = ReadSaverPage();
      TellComplaint(page, &told);
      plat::SetIdleWait(WaitMs(page));
    }
  }
}
