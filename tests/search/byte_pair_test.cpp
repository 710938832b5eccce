// Tests of the pair search against a position-by-position scan.
#include "search/byte_pair.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <random>
#include <string>
#include <vector>

namespace tanmira {
namespace {

TEST(BytePair, FindsExactlyThePositionsWhereBothProbesMatch) {
    std::mt19937 rng(7);
    // Letters of both cases, their neighbours ("@", "`"), line breaks, tabs and top-bit bytes.
    const std::string alphabet("aAbBxX@`\r\n\t\x81\xE3");
    auto randomText = [&](std::size_t length) {
        std::string text(length, ' ');
        for (char& c : text)
            c = alphabet[rng() % alphabet.size()];
        return text;
    };
    auto foldedEqual = [](char a, char b) {
        return a == b || (std::isalpha(static_cast<unsigned char>(b)) && (a | 0x20) == (b | 0x20));
    };
    for (int round = 0; round < 3000; ++round) {
        const std::string key = randomText(1 + rng() % 5);
        const bool lineBreak = round % 5 == 0;
        const BytePair pair = lineBreak ? BytePair::LineBreak() : BytePair::Rarest(key, key.size());
        // Long enough for the sixteen-byte steps, with tails of every length.
        const std::string text = randomText(rng() % 120);
        if (text.size() < std::max(pair.Span(), key.size()))
            continue;
        const std::size_t to = text.size() - std::max(pair.Span(), key.size()) + 1;
        const std::size_t from = rng() % (to + 1);
        std::vector<std::size_t> expected;
        std::vector<std::size_t> keyAt;
        for (std::size_t p = from; p < to; ++p) {
            if (pair.First().Matches(text[p + pair.First().offset]) &&
                pair.Second().Matches(text[p + pair.Second().offset]))
                expected.push_back(p);
            if (std::equal(key.begin(), key.end(), text.begin() + p, foldedEqual))
                keyAt.push_back(p);
        }
        std::vector<std::size_t> found;
        for (std::size_t p = pair.Find(text.data(), from, to); p < to;
             p = pair.Find(text.data(), p + 1, to))
            found.push_back(p);
        SCOPED_TRACE(::testing::PrintToString(key) + " in " + ::testing::PrintToString(text));
        ASSERT_EQ(found, expected);
        // Every place of the key, in any letter case, is a candidate.
        if (!lineBreak) {
            ASSERT_TRUE(std::includes(found.begin(), found.end(), keyAt.begin(), keyAt.end()));
        }
    }
}

}  // namespace
}  // namespace tanmira
