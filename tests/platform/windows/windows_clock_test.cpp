#include <gtest/gtest.h>

#include "platform/windows/windows_tick64.h"

namespace {

// Before Vista the 64-bit tick count is the 32-bit one plus the wraps seen so far.
TEST(TickCount64, WidensTheCounterAcrossItsWrapAndNeverGoesBack) {
  EXPECT_EQ(plat::WidenTickCount(0, 5), 5u);
  EXPECT_EQ(plat::WidenTickCount(0xFFFFFFF0u, 0x10), 0x100000010u);     // wrapped
  EXPECT_EQ(plat::WidenTickCount(0x1FFFFFFFFu, 2), 0x200000002u);       // wrapped again
  EXPECT_EQ(plat::WidenTickCount(0x180000002u, 1), 0x200000001u);       // more than half back: a wrap
  EXPECT_EQ(plat::WidenTickCount(0x180000000u, 1), 0x180000000u);       // half back: a late reader
  EXPECT_EQ(plat::WidenTickCount(0x100000010u, 0x0F), 0x100000010u);    // read a moment earlier
}

}  // namespace
