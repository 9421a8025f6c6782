// The 64-bit tick count that Windows before Vista lacks, made from the 32-bit one.
#pragma once
#include <cstdint>

namespace plat {

// The next 64-bit tick from the last one handed out and the 32-bit counter now:
// never below `last`, one wrap further when the counter came round.
std::uint64_t WidenTickCount(std::uint64_t last, std::uint32_t now);

}  // namespace plat
