#include <gtest/gtest.h>

#include "render/frame.h"
#include "render/runstate.h"

// The close request's tear-down runs once per host and stops the frames with it;
// frames stopped for another reason still leave the tear-down to run.
TEST(RunState, CloseBeginsOnceAndStopsTheFrames) {
  ResetRunStateForTesting();
  EXPECT_TRUE(BeginClose());
  EXPECT_TRUE(g_bQuit);
  EXPECT_TRUE(g_bClosed);
  EXPECT_FALSE(BeginClose());

  ResetRunStateForTesting();
  StopFrames();
  EXPECT_TRUE(g_bQuit);
  EXPECT_FALSE(g_bClosed);
  EXPECT_TRUE(BeginClose());
}
