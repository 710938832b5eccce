// Tests of the shared substring search against the standard library's, on chosen and on random
// texts over small alphabets (so that near misses are frequent).
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "platform/platform.h"

namespace tanmira::platform {
namespace {

TEST(FindBytes, AgreesWithTheStandardSearch) {
    const std::string withZeros("a\0b\0c", 5);
    EXPECT_EQ(FindBytes(withZeros, std::string("\0c", 2)), 3u);
    EXPECT_EQ(FindBytes("abc", ""), 0u);
    EXPECT_EQ(FindBytes("ab", "abc"), std::string_view::npos);

    std::mt19937 random(7);
    const std::string alphabet = "ab \xE3\x83";
    auto text = [&](std::size_t length) {
        std::string s;
        for (std::size_t i = 0; i < length; ++i)
            s += alphabet[random() % alphabet.size()];
        return s;
    };
    for (int round = 0; round < 3000; ++round) {
        const std::string haystack = text(random() % 40);
        const std::string needle = text(1 + random() % 5);
        ASSERT_EQ(FindBytes(haystack, needle), std::string_view(haystack).find(needle))
            << haystack << " / " << needle;
    }
}

}  // namespace
}  // namespace tanmira::platform
