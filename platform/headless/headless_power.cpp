#include "platform/power.h"

#include <atomic>

#include "platform/headless/headless_power.h"

namespace plat {
namespace headless {
namespace {
std::atomic<bool> g_bAsleep{false};
std::atomic<int> g_nQueries{0};
}  // namespace

void SetDisplayAsleepForTesting(bool asleep) { g_bAsleep = asleep; }
int DisplayPowerQueries() { return g_nQueries; }
void ResetDisplayPowerForTesting() {
  g_bAsleep = false;
  g_nQueries = 0;
}

}  // namespace headless

bool IsDisplayAsleep() {
  ++headless::g_nQueries;
  return headless::g_bAsleep;
}

}  // namespace plat
