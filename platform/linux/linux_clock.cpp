#include "platform/clock.h"

#include <time.h>

#include <atomic>

namespace plat {
namespace {
std::atomic<TickSource> g_tickSource{nullptr};
std::atomic<Sleeper> g_sleeper{nullptr};
}  // namespace

DWORD GetTickCount() {
  if (TickSource source = g_tickSource.load()) return source();
  timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  std::uint64_t ms = static_cast<std::uint64_t>(ts.tv_sec) * 1000u + static_cast<std::uint64_t>(ts.tv_nsec) / 1000000u;
  return static_cast<DWORD>(ms);
}

void Sleep(DWORD ms) {
  if (Sleeper sleeper = g_sleeper.load()) return sleeper(ms);
  timespec ts{static_cast<time_t>(ms / 1000), static_cast<long>(ms % 1000) * 1000000L};
  while (nanosleep(&ts, &ts) != 0) {
  }
}

void SetTickSourceForTesting(TickSource source) { g_tickSource = source; }
void SetSleeperForTesting(Sleeper sleeper) { g_sleeper = sleeper; }

}  // namespace plat
