// The process-wide pseudo-random generator of the banner: a 32-bit linear congruential
// generator seeded from the time of day.
#pragma once

#include <chrono>
#include <cstdint>

namespace tanmira {

// Milliseconds since midnight UTC of time.
std::uint32_t MillisecondsSinceMidnightUtc(std::chrono::system_clock::time_point time);

// Seeds the generator from the system clock (milliseconds since midnight UTC).
void Randomize();

std::uint32_t RandSeed();
void SetRandSeed(std::uint32_t seed);

// A number below n (0 for n = 0): seed := seed * 134775813 + 1 mod 2^32, and the result is the
// upper 32 bits of n * seed.
std::uint32_t Random(std::uint32_t n);

}  // namespace tanmira
