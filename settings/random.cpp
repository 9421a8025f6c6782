#include "settings/random.h"

namespace {
std::uint32_t g_dwRandomState = 1;
}

void SeedRandom(std::uint32_t seed) { g_dwRandomState = seed; }
std::uint32_t RandomState() { return g_dwRandomState; }

int NextRandom() {
  g_dwRandomState = g_dwRandomState * 214013u + 2531011u;
  return static_cast<int>((g_dwRandomState >> 16) & 0x7FFF);
}
