// Substring search over bytes, the same on every platform: memchr jumps to the places where the
// needle's rarest byte occurs, and the needle is compared there.
#include <cstring>

#include "platform/platform.h"

namespace tanmira::platform {

namespace {

// How often a byte turns up in ordinary text, roughly: spaces, the most frequent English letters
// and the bytes that open or continue most Japanese characters (0xE3 in UTF-8; 0x81-0x83,
// Shift_JIS lead bytes of kana and symbols and UTF-8 continuation bytes of kana) are frequent;
// other letters and digits less so, other ASCII less again.
int Commonness(unsigned char b) {
    constexpr std::string_view kFrequent = " etaoinsrhl";
    if (kFrequent.find(static_cast<char>(b)) != std::string_view::npos || b == 0xE3 ||
        (b >= 0x81 && b <= 0x83))
        return 3;
    if ((b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z') || (b >= '0' && b <= '9'))
        return 2;
    if (b >= 0x20 && b < 0x7F)
        return 1;
    return 0;
}

std::size_t RarestPosition(std::string_view needle) {
    std::size_t best = 0;
    for (std::size_t i = 1; i < needle.size(); ++i) {
        if (Commonness(static_cast<unsigned char>(needle[i])) <
            Commonness(static_cast<unsigned char>(needle[best])))
            best = i;
    }
    return best;
}

}  // namespace

std::size_t FindBytes(std::string_view haystack, std::string_view needle) {
    if (needle.empty())
        return 0;
    if (needle.size() > haystack.size())
        return std::string_view::npos;
    const std::size_t rare = RarestPosition(needle);
    const char* const start = haystack.data();
    // Where the rare byte of a match can lie: from rare to rare + (last possible match start).
    const char* p = start + rare;
    const char* const end = p + (haystack.size() - needle.size()) + 1;
    while (p < end) {
        p = static_cast<const char*>(
            std::memchr(p, needle[rare], static_cast<std::size_t>(end - p)));
        if (p == nullptr)
            return std::string_view::npos;
        const char* candidate = p - rare;
        if (std::memcmp(candidate, needle.data(), needle.size()) == 0)
            return static_cast<std::size_t>(candidate - start);
        ++p;
    }
    return std::string_view::npos;
}

}  // namespace tanmira::platform
