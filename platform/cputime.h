// CPU time the process has used (every thread), for the frame-rate readout's load.
#pragma once
#include <cstdint>

namespace plat {

std::uint64_t GetProcessCpuMicros();

using CpuTimeSource = std::uint64_t (*)();
void SetCpuTimeSourceForTesting(CpuTimeSource source);  // nullptr: the real one

}  // namespace plat
