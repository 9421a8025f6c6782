#include "platform/launch.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

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
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!std::filesystem::exists(marker) && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_TRUE(std::filesystem::exists(marker));
  std::filesystem::remove(marker);
}

TEST(LaunchProgram, EmptyVectorStartsNothing) { EXPECT_FALSE(plat::LaunchProgram({})); }

}  // namespace
