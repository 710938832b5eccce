// The lowest byte rules, shared by the platform layer and the search's text rules: the ASCII
// letter test, the ASCII case tables, and which bytes are trail bytes of double-byte characters
// (worked out backwards from one position, or forwards byte by byte).
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

#include "platform/platform.h"

namespace tanmira::platform {

// True for the ASCII letters A-Z and a-z; every other byte, 0x80 and above included, is none.
constexpr bool IsAsciiLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// Each byte with A-Z taken to a-z (kAsciiLower) or a-z to A-Z (kAsciiUpper); every other byte as
// it is.
inline constexpr std::array<char, 256> kAsciiLower = [] {
    std::array<char, 256> table{};
    for (int c = 0; c < 256; ++c)
        table[c] = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return table;
}();
inline constexpr std::array<char, 256> kAsciiUpper = [] {
    std::array<char, 256> table{};
    for (int c = 0; c < 256; ++c)
        table[c] = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    return table;
}();

constexpr char LowerAscii(char c) {
    return kAsciiLower[static_cast<unsigned char>(c)];
}

constexpr char UpperAscii(char c) {
    return kAsciiUpper[static_cast<unsigned char>(c)];
}

// True when the byte at 1-based position i of s is the second byte of a double-byte character:
// the unbroken run of lead bytes that ends just before it has an odd length. Position 1 and a 0
// byte are never trail bytes.
bool IsTrailByte(std::string_view s, std::size_t i, const LeadByteTable& leadBytes);

// Walks a text forwards and tells for each byte whether it is the trail byte of a double-byte
// character, by the same rule as IsTrailByte: the byte after a lead byte that is not itself a
// trail byte, unless it is 0.
class TrailCursor {
  public:
    // trail: whether the first byte given will be a trail byte (known from the bytes before it).
    explicit TrailCursor(const LeadByteTable& leadBytes, bool trail = false)
        : leadBytes_(leadBytes), trail_(trail) {}

    // Whether c, the next byte of the text, is a trail byte.
    bool Next(char c) {
        const bool trail = trail_ && c != '\0';
        trail_ = !trail && leadBytes_.test(static_cast<unsigned char>(c));
        return trail;
    }

  private:
    const LeadByteTable& leadBytes_;
    bool trail_;
};

}  // namespace tanmira::platform
