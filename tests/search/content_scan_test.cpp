// Tests of the content scan against the literal rules: load the file into a string list, take
// its Text, fold it, find the keyword.
#include "search/content_scan.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <random>

#include "search/string_list.h"
#include "search/text_rules.h"
#include "tests/support/temp_tree.h"

namespace tanmira {
namespace {

bool LiteralOccurs(const std::string& path, const PreparedKeyword& keyword) {
    if (!keyword.representable)
        return false;
    const LeadByteTable& lead =
        keyword.shiftJisFolding ? platform::ShiftJisLeadBytes() : NoLeadBytes();
    TStringList list;
    list.LoadWholeFile(path);
    return FindSubstring(FoldCase(keyword.bytes, lead), FoldCase(list.Text(), lead)) != 0;
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

TEST(ContentScan, ReportsEachPatternAndUnopenableFiles) {
    testing::TempTree tree;
    const std::string path = tree.File("f.txt", "Hello\r\nWorld");
    const ContentPattern hello(PreparedKeyword{"HELLO", true, false});
    const ContentPattern across(PreparedKeyword{"o\r\nw", true, false});
    const ContentPattern absent(PreparedKeyword{"xyz", true, false});
    const ContentPattern tail(PreparedKeyword{"world\r\n", true, false});
    ContentScanner scanner;
    EXPECT_EQ(scanner.Scan(path, {&hello, &across, &absent, &tail}),
              (std::vector<bool>{true, true, false, true}));
    EXPECT_FALSE(scanner.Scan(tree.Path("missing"), {&hello}).has_value());
    EXPECT_FALSE(scanner.Scan(tree.Root(), {&hello}).has_value());
    EXPECT_TRUE(ContentScanner::CanOpen(path));
    EXPECT_FALSE(ContentScanner::CanOpen(tree.Path("missing")));
}

TEST(ContentScan, ShiftJisFoldingKeepsTrailBytes) {
    testing::TempTree tree;
    // テ (83 65) must not be found when looking for ウ (83 45).
    const std::string path = tree.File("sjis.txt", "\x83\x65");
    const ContentPattern u(PreparedKeyword{"\x83\x45", true, true});
    ContentScanner scanner;
    EXPECT_EQ(scanner.Scan(path, {&u}), (std::vector<bool>{false}));
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
    EXPECT_EQ(scanner.Scan("/proc/kallsyms", {&pattern}), (std::vector<bool>{true}));
    EXPECT_NE(platform::ReadWholeFile("/proc/kallsyms")->find(lastSymbol), std::string::npos);
}

}  // namespace
}  // namespace tanmira
