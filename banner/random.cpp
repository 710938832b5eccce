// The banner's pseudo-random generator.
#include "banner/random.h"

namespace tanmira {

namespace {
std::uint32_t seed = 0;
}

std::uint32_t MillisecondsSinceMidnightUtc(std::chrono::system_clock::time_point time) {
    using namespace std::chrono;
    const auto sinceEpoch = duration_cast<milliseconds>(time.time_since_epoch());
    const auto day = milliseconds(days(1)).count();
    // The system clock counts UTC without leap seconds, so every day has the same length.
    return static_cast<std::uint32_t>(((sinceEpoch.count() % day) + day) % day);
}

void Randomize() {
    seed = MillisecondsSinceMidnightUtc(std::chrono::system_clock::now());
}

std::uint32_t RandSeed() {
    return seed;
}

void SetRandSeed(std::uint32_t value) {
    seed = value;
}

std::uint32_t Random(std::uint32_t n) {
    seed = seed * 134775813u + 1u;
    return static_cast<std::uint32_t>((static_cast<std::uint64_t>(n) * seed) >> 32);
}

}  // namespace tanmira
