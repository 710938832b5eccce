// Tests of the Shift_JIS to EUC-JP keyword conversion: known pairs and edges, the 0x85 rows, and
// agreement with iconv over the whole of JIS X 0208.
#include "search/jeuc.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "platform/platform.h"

namespace tanmira::jeuc {
namespace {

std::string Bytes(std::initializer_list<int> values) {
    std::string s;
    for (const int v : values)
        s += static_cast<char>(v);
    return s;
}

std::string Hex(const std::string& s) {
    static const char* const kDigits = "0123456789ABCDEF";
    std::string out;
    for (const char c : s) {
        const auto b = static_cast<unsigned char>(c);
        if (!out.empty())
            out += ' ';
        out += kDigits[b >> 4];
        out += kDigits[b & 0xF];
    }
    return out;
}

struct ConversionCase {
    const char* what;
    std::string input;
    std::string output;
};

TEST(JeucTest, SjisToEucConvertsKnownKeywords) {
    const ConversionCase cases[] = {
        {"hiragana a", Bytes({0x82, 0xA0}), Bytes({0xA4, 0xA2})},
        {"katakana a", Bytes({0x83, 0x41}), Bytes({0xA5, 0xA2})},
        {"kanji kan", Bytes({0x8A, 0xBF}), Bytes({0xB4, 0xC1})},
        {"ideographic space", Bytes({0x81, 0x40}), Bytes({0xA1, 0xA1})},
        {"trail 0x7E, odd row", Bytes({0x81, 0x7E}), Bytes({0xA1, 0xDF})},
        {"trail 0x80, odd row", Bytes({0x81, 0x80}), Bytes({0xA1, 0xE0})},
        {"last cell of odd row", Bytes({0x81, 0x9E}), Bytes({0xA1, 0xFE})},
        {"first cell of even row", Bytes({0x81, 0x9F}), Bytes({0xA2, 0xA1})},
        {"last pair of lower lead range", Bytes({0x9F, 0xFC}), Bytes({0xDE, 0xFE})},
        {"first pair of upper lead range", Bytes({0xE0, 0x40}), Bytes({0xDF, 0xA1})},
        {"last pair of upper lead range", Bytes({0xEF, 0xFC}), Bytes({0xFE, 0xFE})},
        {"half-width katakana", Bytes({0xB1}), Bytes({0xB1})},
        {"ASCII", "A", "A"},
        {"lead 0x80 is a lead byte", Bytes({0x80, 0x41}), Bytes({0x80, 0xC1})},
        {"lead 0xF0 only sets the trail's top bit", Bytes({0xF0, 0x40}), Bytes({0xF0, 0xC0})},
        {"lead 0xFC", Bytes({0xFC, 0xFC}), Bytes({0xFC, 0xFC})},
        {"ASCII byte taken as trail", Bytes({0x82, 0x41}), Bytes({0xA3, 0xA2})},
        {"lone lead at the end", Bytes({0x82}), Bytes({0x9F, 0xE2})},
        {"lone lead 0xE0 at the end", Bytes({0xE0}), Bytes({0xA0, 0xE2})},
        {"three leads", Bytes({0x82, 0x82, 0x82}), Bytes({0xA3, 0xE2, 0x9F, 0xE2})},
        {"mixed keyword", Bytes({0x61, 0x62, 0x63, 0x82, 0xA0, 0xB1, 0x8A, 0xBF}),
         Bytes({0x61, 0x62, 0x63, 0xA4, 0xA2, 0xB1, 0xB4, 0xC1})},
        {"empty", "", ""},
    };
    for (const ConversionCase& c : cases)
        EXPECT_EQ(Hex(SjisToEuc(c.input)), Hex(c.output)) << c.what;
}

TEST(JeucTest, SjisToJisGivesRowAndCellWithSignedArithmetic) {
    const std::pair<std::uint16_t, std::uint16_t> cases[] = {
        {0x82A0, 0x2422}, {0x8140, 0x2121}, {0x819F, 0x2221}, {0xEFFC, 0x7E7E},
        {0x8520, 0x2121}, {0x8540, 0x0021}, {0x859F, 0x00A1}, {0x80FF, 0x80FF},
        {0xF040, 0xF040}, {0x0082, 0x1F62},  // row -0xE1 wraps to 0x1F
        {0x00E0, 0x2062}, {0xA040, 0xDF21},  // 0xA0 gives h = -0x10, row -0x21
    };
    for (const auto& [sjis, jis] : cases)
        EXPECT_EQ(SjisToJis(sjis), jis) << std::hex << sjis;
}

TEST(JeucTest, JisToEucBoundaries) {
    const std::pair<std::uint16_t, std::uint16_t> cases[] = {
        {0x0000, 0x0000}, {0x009F, 0x009F}, {0x00A0, 0x8EA0}, {0x00DF, 0x8EDF},
        {0x00E0, 0x00E0}, {0x00FF, 0x00FF}, {0x2422, 0xA4A2}, {0x1F62, 0x9FE2},
    };
    for (const auto& [jis, euc] : cases)
        EXPECT_EQ(JisToEuc(jis), euc) << std::hex << jis;
}

TEST(JeucTest, LeadBytesIncludeEightyAndStopAtFc) {
    for (int b = 0; b <= 0xFF; ++b) {
        const bool lead = (b >= 0x80 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
        EXPECT_EQ(IsSjisLeadByte(static_cast<unsigned char>(b)), lead) << std::hex << b;
    }
}

TEST(JeucTest, NonLeadBytesPassUnchanged) {
    std::string all;
    for (int b = 0; b <= 0xFF; ++b) {
        if (!IsSjisLeadByte(static_cast<unsigned char>(b)))
            all += static_cast<char>(b);
    }
    EXPECT_EQ(SjisToEuc(all), all);
}

// Lead byte 0x85: each range of second bytes maps onto consecutive one-byte codes, written as
// two bytes (a 0 byte first, or the single shift 0x8E before half-width katakana codes).
TEST(JeucTest, Lead85MapsOntoOneByteCodes) {
    struct Range {
        int firstTrail, lastTrail, firstCode, highByte;
    };
    const Range ranges[] = {
        {0x1F, 0x1F, 0x00, 0x00}, {0x3F, 0x7E, 0x20, 0x00}, {0x7F, 0x7F, 0x60, 0x00},
        {0x80, 0x80, 0x60, 0x00}, {0x81, 0x9E, 0x61, 0x00}, {0x9F, 0xDD, 0xA1, 0x8E},
        {0xDE, 0xFD, 0xE0, 0x00}, {0xFE, 0xFE, 0x80, 0x00},  // the cell wraps past 0xFF
    };
    for (const Range& r : ranges) {
        for (int trail = r.firstTrail; trail <= r.lastTrail; ++trail) {
            const int code = r.firstCode + trail - r.firstTrail;
            EXPECT_EQ(Hex(SjisToEuc(Bytes({0x85, trail}))), Hex(Bytes({r.highByte, code})))
                << std::hex << trail;
        }
    }
    EXPECT_EQ(Hex(SjisToEuc(Bytes({0x85, 0x20}))), "A1 A1");
}

// Every JIS X 0208 character agrees with glibc's CP932 to EUC-JP conversion. Left out, as CP932
// fills them with characters of its own that iconv does not place at the same row and cell:
// - row 0x2D (lead 0x87), the NEC special characters; iconv maps the ones that duplicate row 2
//   symbols (such as 0x8790) onto their row 2 codes, the byte-wise route keeps row 0x2D;
// - rows 0x79-0x7C (leads 0xED, 0xEE), the NEC-selected IBM extensions; iconv writes those kanji
//   as three-byte JIS X 0212 sequences;
// - 0x8160: CP932 reads it as U+FF5E FULLWIDTH TILDE, which iconv's EUC-JP puts in JIS X 0212,
//   while the JIS X 0208 wave dash at the same row and cell is what EUC-JP files hold.
// Pairs that iconv rejects (unassigned codes) are not compared.
TEST(JeucTest, AgreesWithIconvOnJisX0208) {
    auto isJisLead = [](int b) {
        return (b >= 0x81 && b <= 0x84) || (b >= 0x86 && b <= 0x9F) || (b >= 0xE0 && b <= 0xEF);
    };
    int compared = 0;
    for (int lead = 0x81; lead <= 0xEF; ++lead) {
        if (!isJisLead(lead) || lead == 0x87 || lead == 0xED || lead == 0xEE)
            continue;
        for (int trail = 0x40; trail <= 0xFC; ++trail) {
            if (trail == 0x7F || (lead == 0x81 && trail == 0x60))
                continue;
            const std::string sjis = Bytes({lead, trail});
            const auto expected = platform::ConvertCodePage(sjis, platform::CodePage::ShiftJis,
                                                            platform::CodePage::EucJp);
            if (!expected)
                continue;
            ++compared;
            EXPECT_EQ(Hex(SjisToEuc(sjis)), Hex(*expected)) << Hex(sjis);
        }
    }
    // JIS X 0208 has 6879 characters; nearly all of them must have been compared.
    EXPECT_GT(compared, 6800);
}

}  // namespace
}  // namespace tanmira::jeuc
