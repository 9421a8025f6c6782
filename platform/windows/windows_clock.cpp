#include "platform/clock.h"

#include <atomic>
#include <cstdint>

#include "platform/cputime.h"
#include "platform/windows/windows_tick64.h"
#include "platform/windows/windows_winapi.h"

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

std::uint64_t WidenTickCount(std::uint64_t last, std::uint32_t now) {
  std::uint64_t value = (last & ~0xFFFFFFFFull) | now;
  // A tick below the last one by more than half the range is the counter's wrap;
  // a little below it is a thread that read the clock a moment before another.
  if (value < last) value = last - value > 0x80000000ull ? value + 0x100000000ull : last;
  return value;
}

}  // namespace plat

// The static thread library times its waits with GetTickCount64, which Windows
// before Vista lacks: its import is answered here instead of by kernel32, with the
// system's function where there is one and the 32-bit counter widened where not.
// This file is in every link, since everything reads the clock.
#if defined(__i386__)
namespace {

std::atomic<std::uint64_t> g_nLastTick64{0};

ULONGLONG WINAPI TickCount64() {
  using Clock = ULONGLONG(WINAPI*)();
  static const Clock system = reinterpret_cast<Clock>(
      reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("kernel32.dll"), "GetTickCount64")));
  if (system) return system();
  std::uint64_t last = g_nLastTick64.load();
  std::uint64_t value;
  do value = plat::WidenTickCount(last, ::GetTickCount());
  while (value != last && !g_nLastTick64.compare_exchange_weak(last, value));
  return value;
}

}  // namespace

extern "C" ULONGLONG(WINAPI* const g_pImportTickCount64)() __asm__("__imp__GetTickCount64@0") = TickCount64;
#endif
