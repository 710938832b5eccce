// Tests of the content scan against the literal rules: load the file into a string list, take
// its Text, fold it, find the keyword.
#include "search/content_scan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>
#include <tuple>

#include "search/string_list.h"
#include "search/text_rules.h"
#include "tests/support/literal_rules.h"
#include "tests/support/temp_tree.h"

namespace tanmira {
namespace {

bool LiteralOccurs(const std::string& path, const PreparedKeyword& keyword) {
    TStringList list;
    list.LoadWholeFile(path);
    return LiteralRuleFinds(keyword, list);
}

std::string RandomBytes(std::mt19937& rng, std::size_t maxLength) {
    // A small alphabet makes line breaks, zeros, letters in both cases and lead bytes meet often.
    // The bytes next to the letters ("@", "[", "`", "{") and their top-bit twins (C1, DA) check
    // the folding's edges.
    static const std::string alphabet("aAbBzZ@[`{\xC1\xDA\r\n\x81\x83\x45\x65\\\0", 20);
    std::uniform_int_distribution<std::size_t> length(0, maxLength);
    std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1);
    std::string bytes(length(rng), ' ');
    for (char& c : bytes)
        c = alphabet[pick(rng)];
    return bytes;
}

// Mostly single bytes; UTF-16 units in either byte order in every other case.
CodeUnit RandomUnit(std::mt19937& rng) {
    const CodeUnit units[] = {CodeUnit::Byte, CodeUnit::Byte, CodeUnit::Utf16Le, CodeUnit::Utf16Be};
    return units[rng() % 4];
}

TEST(ContentScan, AgreesWithTheLiteralRulesOnGeneratedFiles) {
    testing::TempTree tree;
    std::mt19937 rng(20261207);
    int hits = 0;
    for (int round = 0; round < 3000; ++round) {
        std::string content = RandomBytes(rng, 60);
        // Zeros are rarer in real text: keep most files free of them.
        if (round % 4 != 0)
            std::erase(content, '\0');
        const std::string path = tree.File("f" + std::to_string(round % 16), content);
        PreparedKeyword keyword;
        keyword.bytes = RandomBytes(rng, 4);
        keyword.shiftJisFolding = round % 2 == 0;
        keyword.representable = round % 50 != 0;
        const ContentPattern pattern(keyword);
        for (std::size_t pieceSize : {std::size_t{1}, std::size_t{3}, std::size_t{64}}) {
            ContentScanner scanner(pieceSize);
            const auto found = scanner.Scan(path, {&pattern});
            ASSERT_TRUE(found.has_value());
            const bool expected = LiteralOccurs(path, keyword);
            ASSERT_EQ((*found)[0], expected)
                << "piece " << pieceSize << " file " << ::testing::PrintToString(content)
                << " keyword " << ::testing::PrintToString(keyword.bytes);
            hits += expected;
        }
    }
    EXPECT_GT(hits, 300);  // the generator produces both outcomes
}

TEST(ContentScan, LongRepetitiveKeywordsAgreeWithTheLiteralRules) {
    // Keywords past the length searched in one pass, made of few letters so that they overlap
    // themselves; texts of their pieces, so that near misses abound. In the UTF-16 rounds each
    // letter is a unit, "L" standing for U+0141 (whose low byte is the letter A, never folded),
    // and a one-byte prefix puts some texts at odd offsets.
    testing::TempTree tree;
    std::mt19937 rng(20261208);
    int hits = 0;
    for (int round = 0; round < 400; ++round) {
        const CodeUnit unit = RandomUnit(rng);
        auto inUnits = [&](const std::string& letters) {
            if (unit == CodeUnit::Byte)
                return letters;
            std::string bytes;
            for (const char c : letters) {
                const char low = c == 'L' ? 'A' : c;
                const char high = c == 'L' ? '\x01' : '\0';
                bytes +=
                    unit == CodeUnit::Utf16Le ? std::string{low, high} : std::string{high, low};
            }
            return bytes;
        };
        std::string keyword(33 + rng() % 40, 'a');
        for (char& c : keyword)
            c = "aAbL"[rng() % 4];
        std::string content = unit != CodeUnit::Byte && rng() % 4 == 0 ? "x" : "";
        while (content.size() < 400) {
            const std::size_t cut = rng() % keyword.size();
            content += inUnits(rng() % 16 == 0 ? keyword : keyword.substr(cut));
            content += inUnits(std::string(1, "aAb\n"[rng() % 4]));
        }
        const std::string path = tree.File("f" + std::to_string(round % 16), content);
        const PreparedKeyword prepared{inUnits(keyword), true, false, 0, unit};
        const ContentPattern pattern(prepared);
        const bool expected = unit == CodeUnit::Byte ? LiteralOccurs(path, prepared)
                                                     : LiteralRuleFindsInText(prepared, content);
        for (std::size_t pieceSize : {std::size_t{1}, std::size_t{7}, std::size_t{100}}) {
            ContentScanner scanner(pieceSize);
            const auto found = scanner.Scan(path, {&pattern});
            ASSERT_TRUE(found.has_value());
            ASSERT_EQ((*found)[0], expected) << "piece " << pieceSize << " keyword " << keyword;
        }
        hits += expected;
    }
    EXPECT_GT(hits, 40);
    EXPECT_LT(hits, 360);
}

// A text read in pieces of random sizes, as a file of /proc or one that grows gives it; the size
// it reports may be wrong. Half of them tell when the last byte is read, as a file read to its
// size does, so that the scan ends without a read that gives 0.
class PieceReader : public ByteReader {
  public:
    PieceReader(std::string_view text, std::mt19937& rng, std::size_t maxPiece)
        : text_(text), rng_(rng), piece_(1, maxPiece), tellsEnd_(rng() % 2 == 0) {
        sizeHint_ = std::uniform_int_distribution<std::uint64_t>(0, text.size() * 2)(rng);
    }
    std::uint64_t SizeHint() const override { return sizeHint_; }
    bool Ended() const override { return tellsEnd_ && text_.empty(); }
    std::optional<std::size_t> Read(char* buffer, std::size_t count) override {
        const std::size_t n = std::min({count, piece_(rng_), text_.size()});
        std::copy_n(text_.data(), n, buffer);
        text_.remove_prefix(n);
        return n;
    }

  private:
    std::string_view text_;
    std::mt19937& rng_;
    std::uniform_int_distribution<std::size_t> piece_;
    bool tellsEnd_;
    std::uint64_t sizeHint_;
};

// Several keywords of mixed folding rules in one pass, grouped, some groups ending the scan;
// short reads and small buffers move every window border across the matches.
TEST(ContentScan, OnePassAgreesWithTheLiteralRulesForEveryGroup) {
    std::mt19937 rng(20261208);
    int hits = 0;
    int endedEarly = 0;
    for (int round = 0; round < 4000; ++round) {
        std::string text = RandomBytes(rng, 80);
        if (round % 4 != 0)
            std::erase(text, '\0');
        std::vector<PreparedKeyword> keywords(1 + rng() % 4);
        for (PreparedKeyword& keyword : keywords) {
            keyword.bytes = RandomBytes(rng, 4);
            keyword.shiftJisFolding = rng() % 2 == 0;
            keyword.representable = rng() % 40 != 0;
            keyword.unit = RandomUnit(rng);
        }
        const std::vector<ContentPattern> patterns(keywords.begin(), keywords.end());
        ScanQuery query;
        std::vector<bool> expected;
        bool endingGroupFound = false;
        for (std::size_t k = 0; k < patterns.size();) {
            const std::size_t size = std::min<std::size_t>(1 + rng() % 2, patterns.size() - k);
            const auto onFind =
                rng() % 3 == 0 ? ScanQuery::OnFind::EndScan : ScanQuery::OnFind::Continue;
            std::vector<const ContentPattern*> group;
            bool occurs = false;
            for (std::size_t e = k + size; k < e; ++k) {
                group.push_back(&patterns[k]);
                occurs = occurs || LiteralRuleFindsInText(keywords[k], text);
            }
            query.AddGroup(group, onFind);
            expected.push_back(occurs);
            endingGroupFound = endingGroupFound || (occurs && onFind == ScanQuery::OnFind::EndScan);
        }
        const std::size_t pieceSize = std::vector<std::size_t>{1, 2, 5, 64, 4096}[rng() % 5];
        ContentScanner scanner(pieceSize);
        PieceReader reader(text, rng, 1 + rng() % 9);
        const GroupFlags found = scanner.Scan(reader, query).value();
        SCOPED_TRACE("text " + ::testing::PrintToString(text) + " piece " +
                     std::to_string(pieceSize));
        ASSERT_EQ(found.size(), expected.size());
        bool endedOnAFind = false;
        for (std::size_t g = 0; g < found.size(); ++g) {
            SCOPED_TRACE("group " + std::to_string(g) + " first keyword " +
                         ::testing::PrintToString(query.Groups()[g].patterns[0]->Folded()));
            // Once a group that ends the scan is found, the groups still open read as not found.
            if (endingGroupFound)
                ASSERT_TRUE(!found[g] || expected[g]);
            else
                ASSERT_EQ(found[g], expected[g]);
            endedOnAFind = endedOnAFind ||
                           (found[g] && query.Groups()[g].onFind == ScanQuery::OnFind::EndScan);
            hits += found[g];
        }
        ASSERT_EQ(endedOnAFind, endingGroupFound);
        endedEarly += endingGroupFound;
    }
    EXPECT_GT(hits, 600);  // the generator produces both outcomes
    EXPECT_GT(endedEarly, 200);
}

// Records every match, in the order of offsets.
struct EveryMatch : MatchSink {
    Next Take(const ContentMatch& match) override {
        matches.push_back(match);
        return Next::More;
    }
    std::vector<ContentMatch> Sorted() const {
        std::vector<ContentMatch> sorted = matches;
        std::sort(sorted.begin(), sorted.end(), [](const ContentMatch& a, const ContentMatch& b) {
            return std::tie(a.offset, a.group, a.form) < std::tie(b.offset, b.group, b.form);
        });
        return sorted;
    }
    std::vector<ContentMatch> matches;
};

TEST(ContentScan, ReportsEveryMatchWithItsGroupFormAndOffset) {
    const ContentPattern o(PreparedKeyword{"O", true, false, 2});
    const ContentPattern across(PreparedKeyword{"o\r\nw", true, false});
    const ContentPattern lineBreak(PreparedKeyword{"\r\n", true, false});
    ScanQuery query;
    query.AddGroup({&o, &across});
    query.AddGroup({&lineBreak});
    const std::string text = "Hello\nWorld";  // the end counts as one more line break
    std::mt19937 rng(1);
    PieceReader reader(text, rng, 2);
    EveryMatch sink;
    EXPECT_EQ(ContentScanner(1).Scan(reader, query, sink), ScanEnd::Done);
    EXPECT_EQ(sink.Sorted(),
              (std::vector<ContentMatch>{{0, 0, 4}, {0, 2, 4}, {1, 0, 5}, {0, 2, 7}, {1, 0, 11}}));

    // Files read whole and texts read in small pieces give the same matches, each once.
    testing::TempTree tree;
    for (int round = 0; round < 2000; ++round) {
        const std::string random = RandomBytes(rng, 80);
        const std::vector<ContentPattern> patterns = {
            ContentPattern(PreparedKeyword{RandomBytes(rng, 3), true, rng() % 2 == 0}),
            ContentPattern(PreparedKeyword{RandomBytes(rng, 4), true, false, 1, RandomUnit(rng)})};
        ScanQuery twoGroups;
        twoGroups.AddGroup({&patterns[0]});
        twoGroups.AddGroup({&patterns[1], &patterns[0]});
        EveryMatch expected;
        ContentScanner().Scan(tree.File("f", random), twoGroups, expected);
        PieceReader pieces(random, rng, 1 + rng() % 5);
        EveryMatch found;
        ContentScanner(1 + rng() % 4).Scan(pieces, twoGroups, found);
        ASSERT_EQ(found.Sorted(), expected.Sorted()) << ::testing::PrintToString(random);
    }
}

TEST(ContentScan, FindsKeywordsAcrossSliceAndPieceBorders) {
    // Long texts of filler with the keyword placed around the borders of the 64 KiB slices and
    // of the pieces read; as plain, Shift_JIS-folded and line-break keywords.
    struct Case {
        const char* keyword;
        bool shiftJis;
        const char* placed;
    };
    const Case cases[] = {
        {"Mutex", false, "MUTEX"},
        {"end\r\nmarker", false, "END\nMarker"},
        {"\x83\x74\x83\x40 x", true, "\x83\x74\x83\x40 X"},
        {"x\r\n\r\ny", false, "X\n\rY"},
        {"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaab", false,
         "AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAB"},
    };
    const std::size_t borders[] = {64 * 1024, ContentScanner::kPieceSize, 3 * 64 * 1024 + 1};
    testing::TempTree tree;
    for (const Case& c : cases) {
        for (std::size_t border : borders) {
            for (std::size_t shift = 0; shift < std::strlen(c.placed) + 2; ++shift) {
                SCOPED_TRACE(::testing::PrintToString(std::string(c.keyword)) + " at " +
                             std::to_string(border) + " - " + std::to_string(shift));
                std::string text(border + 100, 'a');
                text.replace(border - shift, std::strlen(c.placed), c.placed);
                const ContentPattern pattern(PreparedKeyword{c.keyword, true, c.shiftJis});
                std::mt19937 rng(static_cast<unsigned>(shift));
                PieceReader reader(text, rng, ContentScanner::kPieceSize);
                ContentScanner scanner;
                ScanQuery query;
                query.AddGroup({&pattern});
                EXPECT_EQ(scanner.Scan(reader, query), GroupFlags{true});
                // Read whole, the text is one window cut into slices only.
                EXPECT_EQ(scanner.Scan(tree.File("whole", text), {&pattern}), GroupFlags{true});
            }
        }
    }
}

TEST(ContentScan, ReportsEachPatternAndUnopenableFiles) {
    testing::TempTree tree;
    const std::string path = tree.File("f.txt", "Hello\r\nWorld");
    const ContentPattern hello(PreparedKeyword{"HELLO", true, false});
    const ContentPattern across(PreparedKeyword{"o\r\nw", true, false});
    const ContentPattern absent(PreparedKeyword{"xyz", true, false});
    const ContentPattern tail(PreparedKeyword{"world\r\n", true, false});
    ContentScanner scanner;
    EXPECT_EQ(scanner.Scan(path, {&hello, &across, &absent, &tail}),
              (GroupFlags{true, true, false, true}));
    EXPECT_FALSE(scanner.Scan(tree.Path("missing"), {&hello}).has_value());
    EXPECT_FALSE(scanner.Scan(tree.Root(), {&hello}).has_value());
}

TEST(ContentScan, AnswersAsManyGroupsAsAQueryHolds) {
    testing::TempTree tree;
    const std::string path = tree.File("f.txt", "last");
    const ContentPattern absent(PreparedKeyword{"xyz", true, false});
    const ContentPattern last(PreparedKeyword{"LAST", true, false});
    std::vector<const ContentPattern*> patterns(ScanQuery::kMostGroups - 1, &absent);
    patterns.push_back(&last);
    const GroupFlags found = ContentScanner().Scan(path, patterns).value();
    EXPECT_EQ(found.size(), ScanQuery::kMostGroups);
    EXPECT_FALSE(found[ScanQuery::kMostGroups - 2]);
    EXPECT_TRUE(found[ScanQuery::kMostGroups - 1]);
    patterns.push_back(&last);
    EXPECT_THROW(ContentScanner().Scan(path, patterns), std::length_error);
}

TEST(ContentScan, ShiftJisFoldingKeepsTrailBytes) {
    testing::TempTree tree;
    // テ (83 65) must not be found when looking for ウ (83 45).
    const std::string path = tree.File("sjis.txt", "\x83\x65");
    const ContentPattern u(PreparedKeyword{"\x83\x45", true, true});
    ContentScanner scanner;
    EXPECT_EQ(scanner.Scan(path, {&u}), (GroupFlags{false}));
}

TEST(ContentScan, ReadsAProcFileToItsEnd) {
    // Files of /proc report size 0 and give their text in short reads: the last symbol lies
    // megabytes past the first read.
    std::ifstream in("/proc/kallsyms");
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (text.size() < 64 * 1024)
        GTEST_SKIP() << "no /proc/kallsyms of some size here";
    text.erase(text.find_last_not_of("\n") + 1);
    const std::string lastSymbol = text.substr(text.find_last_of("\n ") + 1);
    ASSERT_GT(text.size() - lastSymbol.size(), 4096u);
    const ContentPattern pattern(PreparedKeyword{lastSymbol, true, false});
    ContentScanner scanner;
    EXPECT_EQ(scanner.Scan("/proc/kallsyms", {&pattern}), (GroupFlags{true}));
    EXPECT_NE(platform::ReadWholeFile("/proc/kallsyms")->find(lastSymbol), std::string::npos);
}

}  // namespace
}  // namespace tanmira
