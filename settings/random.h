// The program's own pseudo-random generator (module 9's swarm): the classic linear
// congruential generator with multiplier 214013 and increment 2531011 whose output
// is bits 16..30 of the state. glibc's rand is a different generator.
#pragma once
#include <cstdint>

void SeedRandom(std::uint32_t seed);
int NextRandom();  // 0 .. 32767
std::uint32_t RandomState();  // what SeedRandom takes to repeat the same numbers
