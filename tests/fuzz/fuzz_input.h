// Splits a fuzzer's input into the values a target needs: single bytes first, then
// length-prefixed byte strings, then the rest; picks the path rules a byte names; and checks.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "search/text_rules.h"

namespace tanmira::fuzz {

// Ends the run as a crash, which libFuzzer reports with the input, unless condition holds.
inline void Check(bool condition) {
    if (!condition)
        std::abort();
}

// A path style and a lead-byte table.
struct PathRules {
    PathStyle style;
    const LeadByteTable& leads;
};

// Both path styles, with and without Shift_JIS lead bytes, by the low bits of choice.
inline PathRules ChoosePathRules(std::uint8_t choice) {
    return {choice & 1 ? PathStyle::Windows : PathStyle::Posix,
            choice & 2 ? platform::ShiftJisLeadBytes() : NoLeadBytes()};
}

class FuzzInput {
  public:
    FuzzInput(const std::uint8_t* data, std::size_t size)
        : data_(reinterpret_cast<const char*>(data)), size_(size) {}

    // The next byte, or 0 when the input is used up.
    std::uint8_t Byte() { return at_ < size_ ? static_cast<std::uint8_t>(data_[at_++]) : 0; }

    // A string of at most maxLength bytes, its length taken from the next byte.
    std::string String(std::size_t maxLength) {
        const std::size_t length = std::min<std::size_t>(Byte() % (maxLength + 1), size_ - at_);
        std::string s(data_ + at_, length);
        at_ += length;
        return s;
    }

    // Everything not used yet.
    std::string Rest() {
        std::string s(data_ + at_, size_ - at_);
        at_ = size_;
        return s;
    }

  private:
    const char* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

}  // namespace tanmira::fuzz
