#include "platform/clock.h"

#include <atomic>

#include "platform/cputime.h"
#include "platform/windows/winapi.h"

namespace plat {
namespace {
std::atomic<TickSource> g_tickSource{nullptr};
std::atomic<Sleeper> g_sleeper{nullptr};
std::atomic<CpuTimeSource> g_cpuSource{nullptr};
}  // namespace

DWORD GetTickCount() {
  if (TickSource source = g_tickSource.load()) return source();
  return ::GetTickCount();
}

void Sleep(DWORD ms) {
  if (Sleeper sleeper = g_sleeper.load()) return sleeper(ms);
  ::Sleep(ms);
}

void SetTickSourceForTesting(TickSource source) { g_tickSource = source; }
void SetSleeperForTesting(Sleeper sleeper) { g_sleeper = sleeper; }

std::uint64_t GetProcessCpuMicros() {
  if (CpuTimeSource source = g_cpuSource.load()) return source();
  FILETIME created, exited, kernel, user;
  if (!::GetProcessTimes(::GetCurrentProcess(), &created, &exited, &kernel, &user)) return 0;
  auto ticks = [](const FILETIME& t) {  // 100-nanosecond units
    return (static_cast<std::uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
  };
  return (ticks(kernel) + ticks(user)) / 10u;
}

void SetCpuTimeSourceForTesting(CpuTimeSource source) { g_cpuSource = source; }

}  // namespace plat
