// When the idle watcher starts the saver, walked through time with a wait of 5 s.
#include "shell/watchpolicy.h"

#include <gtest/gtest.h>

#include "platform/idle.h"

namespace {

constexpr plat::DWORD WAIT = 5000;
constexpr plat::DWORD FOREVER = plat::WATCH_FOREVER;

struct Session {
  WatchInputs in;
  Session() {
    in.enabled = true;
    in.waitMs = WAIT;
  }
  WatchStep At(plat::DWORD now, plat::DWORD idleMs, WatchPolicy& policy) {
    in.now = now;
    in.idleMs = idleMs;
    return policy.Step(in);
  }
};

void ExpectWait(const WatchStep& step, plat::DWORD ms) {
  EXPECT_FALSE(step.start);
  EXPECT_EQ(step.recheckMs, ms);
}

TEST(WatchPolicy, TheWaitCountsFromTheLastInputButNotFromBeforeTheWatcher) {
  Session s;
  WatchPolicy policy(1000);
  ExpectWait(s.At(1000, 60000, policy), 5000);  // idle long before the watcher began
  ExpectWait(s.At(4000, 63000, policy), 2000);
  EXPECT_TRUE(s.At(6000, 65000, policy).start);
  s.in.saverRunning = true;
  ExpectWait(s.At(6100, 65100, policy), FOREVER);
  // The saver ended on input: the next one comes a whole wait after it.
  s.in.saverRunning = false;
  ExpectWait(s.At(6400, 300, policy), 4700);
  ExpectWait(s.At(10000, 1500, policy), 3500);  // more input meanwhile
  EXPECT_TRUE(s.At(13500, 5000, policy).start);
}

TEST(WatchPolicy, ASaverThatEndsWithoutInputIsNotStartedAgainUntilTheUserCameAndWent) {
  Session s;
  WatchPolicy policy(0);
  EXPECT_TRUE(s.At(5000, 5000, policy).start);
  // It crashed at once (or was closed from outside): no input, no new start.
  ExpectWait(s.At(5300, 5300, policy), WAIT);
  ExpectWait(s.At(10300, 10300, policy), WAIT);
  ExpectWait(s.At(15300, 15300, policy), WAIT);
  // Input at 16000, then idle again for the wait.
  ExpectWait(s.At(17000, 1000, policy), 4000);
  EXPECT_TRUE(s.At(21000, 5000, policy).start);
}

TEST(WatchPolicy, InhibitorsHoldItAndTheirReleaseStartsTheWaitAfresh) {
  Session s;
  WatchPolicy policy(0);
  s.in.inhibited = true;
  ExpectWait(s.At(5000, 5000, policy), FOREVER);
  ExpectWait(s.At(60000, 60000, policy), FOREVER);
  s.in.inhibited = false;
  ExpectWait(s.At(61000, 61000, policy), WAIT);  // the video ended: not at once
  ExpectWait(s.At(64000, 64000, policy), 2000);
  EXPECT_TRUE(s.At(66000, 66000, policy).start);
}

TEST(WatchPolicy, SwitchedOffOrAnotherDaemonStartsNothingAndTheirEndCountsAfresh) {
  Session s;
  WatchPolicy policy(0);
  s.in.enabled = false;
  ExpectWait(s.At(9000, 9000, policy), FOREVER);
  s.in.enabled = true;
  ExpectWait(s.At(10000, 10000, policy), WAIT);
  s.in.otherDaemon = true;
  ExpectWait(s.At(15000, 15000, policy), FOREVER);
  s.in.otherDaemon = false;
  ExpectWait(s.At(30000, 30000, policy), WAIT);
  EXPECT_TRUE(s.At(35000, 35000, policy).start);
}

TEST(WatchPolicy, AShorterWaitIsFollowedAtOnce) {
  Session s;
  WatchPolicy policy(0);
  s.in.waitMs = 60000;
  ExpectWait(s.At(7000, 7000, policy), 53000);
  s.in.waitMs = 5000;
  EXPECT_TRUE(s.At(7100, 7100, policy).start);
}

TEST(WatchPolicy, ASourceThatOnlyTellsTheWaitIsLookedAtOncePerWaitMeanwhile) {
  Session s;
  WatchPolicy policy(0);
  ExpectWait(s.At(9000, 0, policy), WAIT);  // active, as far as it says
  EXPECT_TRUE(s.At(12000, WAIT, policy).start);  // its word: idle for the wait
}

TEST(WatchPolicy, TicksThatWrapCountOn) {
  Session s;
  WatchPolicy policy(0xFFFFFF00);
  ExpectWait(s.At(0x00001000, 90000, policy), WAIT - 0x1100);
  EXPECT_TRUE(s.At(0x00001288, 95000, policy).start);
  ExpectWait(s.At(0x80001288, 100, policy), WAIT - 100);
  // A whole wait behind it, the watcher's start mark no longer limits the count,
  // even once the tick count has come round to it again.
  EXPECT_TRUE(s.At(0x000000C8, 6000, policy).start);
}

}  // namespace
