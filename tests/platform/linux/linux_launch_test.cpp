#include "platform/launch.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>

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

}  // namespace
