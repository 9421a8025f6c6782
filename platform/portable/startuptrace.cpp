#include "platform/startuptrace.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "platform/cputime.h"

namespace plat {
namespace {
int g_nTracing = -1;  // unknown until first asked

void WriteStep(const char* step) {
  const auto micros = std::chrono::duration_cast<std::chrono::microseconds>(
                          std::chrono::system_clock::now().time_since_epoch())
                          .count();
  std::fprintf(stderr, "kiru: %s at %lld.%06lld after %.1f ms of CPU time\n", step,
               static_cast<long long>(micros / 1000000), static_cast<long long>(micros % 1000000),
               static_cast<double>(GetProcessCpuMicros()) / 1000.0);
}

}  // namespace

void TraceStartup(const char* step) {
  if (g_nTracing < 0) g_nTracing = std::getenv("KIRU_TRACE_FIRST_FRAME") ? 1 : 0;
  if (g_nTracing != 0) WriteStep(step);
}

void EndStartupTrace() { g_nTracing = 0; }

void TraceFirstPresent() {
  static bool s_bTraced = false;
  if (s_bTraced) return;
  s_bTraced = true;
  if (std::getenv("KIRU_TRACE_FIRST_FRAME")) WriteStep("first frame presented");
}

void TraceViews(int count) {
  static const bool s_bTracing = std::getenv("KIRU_TRACE_VIEWS") != nullptr;
  if (s_bTracing) std::fprintf(stderr, "kiru: %d views laid out\n", count);
}

}  // namespace plat
