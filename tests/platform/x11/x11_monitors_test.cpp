#include <gtest/gtest.h>

#include "platform/x11/x11_display.h"

namespace {

// X.Org 1.18 and 1.19 report exactly 1.5.
TEST(X11Monitors, TheMonitorListFromRandr15On) {
  EXPECT_FALSE(plat::x11::RandrListsMonitors(1, 4));
  EXPECT_TRUE(plat::x11::RandrListsMonitors(1, 5));
  EXPECT_TRUE(plat::x11::RandrListsMonitors(1, 6));
  EXPECT_TRUE(plat::x11::RandrListsMonitors(2, 0));
}

}  // namespace
