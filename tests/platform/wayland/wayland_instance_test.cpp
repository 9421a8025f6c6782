// One saver per compositor: the lock is named after the socket itself, however
// $WAYLAND_DISPLAY names it.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <string>

#include "platform/wayland/wayland_records.h"

namespace {

using plat::wayland::LockPath;
using plat::wayland::SocketPath;

class InstanceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char folder[] = "/tmp/kiru-instance-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    char real[PATH_MAX];
    ASSERT_NE(realpath(folder, real), nullptr);  // /tmp may be a link itself
    run = real;
    std::fclose(std::fopen((run + "/wayland-1").c_str(), "w"));  // the socket, as far as names go
    ASSERT_EQ(symlink(run.c_str(), (run + "-link").c_str()), 0);
  }
  void TearDown() override {
    unlink((run + "/wayland-1").c_str());
    unlink((run + "-link").c_str());
    rmdir(run.c_str());
  }
  std::string run;
};

TEST_F(InstanceTest, ANameAndTheFullPathOfOneSocketShareTheLock) {
  std::string full = run + "/wayland-1";
  EXPECT_EQ(SocketPath("wayland-1", run.c_str()), full);
  EXPECT_EQ(SocketPath(full.c_str(), "/elsewhere"), full);
  EXPECT_EQ(SocketPath((run + "-link/./wayland-1").c_str(), nullptr), full);
  EXPECT_EQ(SocketPath("wayland-1", (run + "-link").c_str()), full);
  EXPECT_EQ(LockPath("wayland-1", run.c_str()), LockPath(full.c_str(), run.c_str()));
  EXPECT_NE(LockPath("wayland-1", run.c_str()), LockPath("wayland-2", run.c_str()));
}

TEST_F(InstanceTest, WithoutANameTheDefaultSocketIsMeant) {
  EXPECT_EQ(SocketPath(nullptr, run.c_str()), run + "/wayland-0");  // not there: left as joined
  EXPECT_EQ(SocketPath("", run.c_str()), SocketPath("wayland-0", run.c_str()));
  EXPECT_EQ(LockPath("wayland-0", run.c_str()).rfind(run + "/kiru-saver-", 0), 0u);
}

}  // namespace
