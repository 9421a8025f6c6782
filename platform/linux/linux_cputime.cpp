#include "platform/cputime.h"

#include <ctime>

namespace plat {
namespace {
CpuTimeSource g_pCpuSource = nullptr;
}

std::uint64_t GetProcessCpuMicros() {
  if (g_pCpuSource) return g_pCpuSource();
  timespec spent{};
  if (clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &spent) != 0) return 0;
  return static_cast<std::uint64_t>(spent.tv_sec) * 1000000u + static_cast<std::uint64_t>(spent.tv_nsec) / 1000u;
}

void SetCpuTimeSourceForTesting(CpuTimeSource source) { g_pCpuSource = source; }

}  // namespace plat
