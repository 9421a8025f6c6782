#include "platform/launch.h"

#include <gtest/gtest.h>
#include <pthread.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <filesystem>

#include "platform/linux/linux_childprocess.h"

#include "tests/support/wait.h"

namespace {

using Words = std::vector<std::string>;

TEST(SplitCommandLine, QuotesGroupBlanksAndNothingElseIsSpecial) {
  EXPECT_EQ(plat::SplitCommandLine("  -a  \"b c\"\td "), (Words{"-a", "b c", "d"}));
  EXPECT_EQ(plat::SplitCommandLine("x\"y z\"w \"\" $(q) 'r s'"), (Words{"xy zw", "", "$(q)", "'r", "s'"}));
  EXPECT_EQ(plat::SplitCommandLine("\"unterminated here"), (Words{"unterminated here"}));
  EXPECT_TRUE(plat::SplitCommandLine("   ").empty());
}

TEST(LaunchProgram, StartsWithoutWaitingAndLeavesNoChildBehind) {
  std::string marker = "/tmp/kiru-launch-" + std::to_string(getpid());
  auto start = std::chrono::steady_clock::now();
  ASSERT_TRUE(plat::LaunchProgram({"sh", "-c", "sleep 1; touch \"$0\"", marker}));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(900));
  // The program runs as a grandchild adopted elsewhere: this process has no child to reap.
  EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1);
  EXPECT_TRUE(kiru_test::WaitUntil([&] { return std::filesystem::exists(marker); }, 10000, 20));
  std::filesystem::remove(marker);
}

TEST(LaunchProgram, EmptyVectorStartsNothing) { EXPECT_FALSE(plat::LaunchProgram({})); }

// Whatever this process blocks (the close signals) or ignores (SIGPIPE), a child
// starts with the signals a shell would give it: what it sends itself ends it, told
// as 128 + the signal; asked to end, it does so by SIGTERM.
TEST(ChildProcess, StartsWithTheSignalsAsFromAShellAndTellsHowItEnded) {
  sigset_t term, old;
  sigemptyset(&term);
  sigaddset(&term, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &term, &old);
  auto oldPipe = std::signal(SIGPIPE, SIG_IGN);
  struct Case {
    const char* script;
    int status;
  } cases[] = {{"kill -TERM $$; exit 3", 128 + SIGTERM}, {"kill -PIPE $$; exit 3", 128 + SIGPIPE}, {"exit 3", 3}};
  for (const Case& c : cases) {
    plat::ChildProcess child;
    ASSERT_TRUE(plat::StartChild("/bin/sh", {"sh", "-c", c.script}, &child));
    int status = -1;
    EXPECT_TRUE(kiru_test::WaitUntil([&] { return plat::ChildEnded(&child, &status); }, 10000, 10)) << c.script;
    EXPECT_EQ(status, c.status) << c.script;
    EXPECT_EQ(child.pid, -1) << "reaped, and forgotten";
  }
  plat::ChildProcess sleeper;
  ASSERT_TRUE(plat::StartChild("/bin/sh", {"sh", "-c", "exec sleep 30"}, &sleeper));
  EXPECT_EQ(plat::EndChild(&sleeper, 5000), 128 + SIGTERM);
  EXPECT_EQ(sleeper.pid, -1);
  std::signal(SIGPIPE, oldPipe);
  pthread_sigmask(SIG_SETMASK, &old, nullptr);
}

}  // namespace
