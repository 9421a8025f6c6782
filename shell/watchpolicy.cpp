#include "shell/watchpolicy.h"

#include "platform/idle.h"

WatchStep WatchPolicy::Step(const WatchInputs& in) {
  bool held = !in.enabled || in.inhibited || in.otherDaemon;
  if (held_ && !held) {
    countFrom_ = in.now;
    counting_ = true;
  }
  held_ = held;
  // Input since the saver began: the counter went back below the time since.
  if (awaitingInput_ && in.idleMs < in.now - started_) awaitingInput_ = false;
  if (held || in.saverRunning) return {false, plat::WATCH_FOREVER};
  // A saver that ended without input (it failed, or was closed from outside) is
  // not started again until the user has come and gone: input, then the wait.
  if (awaitingInput_) return {false, in.waitMs};
  plat::DWORD idle = in.idleMs;
  if (counting_) {
    // Once a whole wait lies behind it, the mark can only stop mattering (and must,
    // before the tick count wraps past it).
    plat::DWORD sinceCount = in.now - countFrom_;
    if (sinceCount >= in.waitMs) counting_ = false;
    if (sinceCount < idle) idle = sinceCount;
  }
  if (idle >= in.waitMs) {
    awaitingInput_ = true;
    started_ = in.now;
    return {true, 0};
  }
  return {false, in.waitMs - idle};
}
