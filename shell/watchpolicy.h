// When the idle watcher starts the saver: a pure decision over what the session says,
// so that tests can walk it through time.
#pragma once
#include "platform/win.h"

struct WatchInputs {
  bool enabled = false;  // "ScreenSaveActive"
  bool inhibited = false;  // someone keeps the session awake
  bool otherDaemon = false;  // another saver daemon serves the session
  bool saverRunning = false;
  plat::DWORD waitMs = 0;
  plat::DWORD idleMs = 0;  // since the last input
  plat::DWORD now = 0;  // tick count
};

struct WatchStep {
  bool start = false;
  plat::DWORD recheckMs = 0;  // when to look again if nothing else happens (WATCH_FOREVER: only then)
};

// One saver per idle period: once one was started, input must come before the next.
// The wait counts from the last input, and never from before the watcher began, the
// switch was turned on, or the last inhibitor or other daemon let go: a video that
// ends, or a daemon that quits, does not bring the saver at once.
class WatchPolicy {
 public:
  explicit WatchPolicy(plat::DWORD now) : countFrom_(now) {}
  // What to do now; a start is taken as made.
  WatchStep Step(const WatchInputs& in);

 private:
  plat::DWORD countFrom_;
  bool counting_ = true;  // countFrom_ still limits the count (not yet a wait behind)
  bool held_ = false;  // off, inhibited or another daemon's, at the last step
  bool awaitingInput_ = false;
  plat::DWORD started_ = 0;
};
