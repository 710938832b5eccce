// jeuc: Shift_JIS to JIS X 0208 row and cell to EUC-JP, with the unit's own edge rules (0x80 as a
// lead byte, the 0x85 rows mapped onto one-byte codes, a lone lead byte at the end).
#include "search/jeuc.h"

namespace tanmira::jeuc {

namespace {

// Builds a code from two signed values, each taken modulo 256 (two's complement).
std::uint16_t MakeCode(int high, int low) {
    return static_cast<std::uint16_t>(((high & 0xFF) << 8) | (low & 0xFF));
}

}  // namespace

bool IsSjisLeadByte(unsigned char b) {
    return (b >= 0x80 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

std::uint16_t SjisToJis(std::uint16_t code) {
    if (code == 0x8520)
        return 0x2121;  // 0x85 0x20 stands for the ideographic space
    const int hi = code >> 8;
    int lo = code & 0xFF;
    if (hi == 0x80 || hi >= 0xF0)
        return code;

    // Two rows share one lead byte; h is negative for a lone lead byte (hi = 0).
    const int h = hi < 0xA0 ? hi - 0x70 : hi - 0xB0;
    if (lo >= 0x80)
        --lo;  // trail bytes skip 0x7F
    int row = 0;
    int cell = 0;
    if (lo >= 0x9E) {
        row = 2 * h;
        cell = lo - 0x7D;
    } else {
        row = 2 * h - 1;
        cell = lo - 0x1F;
    }
    // The lead byte 0x85 gives rows 0x29 and 0x2A, which become one-byte codes.
    if (row == 0x2A)
        return static_cast<std::uint16_t>(cell | 0x80);
    if (row == 0x29)
        row = 0;
    return MakeCode(row, cell);
}

std::uint16_t JisToEuc(std::uint16_t code) {
    if (code < 0xA0)
        return code;
    if (code <= 0xDF)
        return static_cast<std::uint16_t>(0x8E00 + code);  // half-width katakana: single shift 2
    if (code <= 0xFF)
        return code;
    return static_cast<std::uint16_t>(code | 0x8080);
}

std::string SjisToEuc(const std::string& s) {
    std::string result;
    result.reserve(s.size() + 1);
    const std::size_t n = s.size();
    std::size_t i = 0;
    while (i < n) {
        const auto lead = static_cast<unsigned char>(s[i]);
        if (!IsSjisLeadByte(lead)) {
            result += s[i];
            ++i;
            continue;
        }
        std::uint16_t code = lead;
        if (i + 1 < n) {
            code = static_cast<std::uint16_t>((lead << 8) | static_cast<unsigned char>(s[i + 1]));
            i += 2;
        } else {
            ++i;  // a lone lead byte at the end is converted as a one-byte code
        }
        code = JisToEuc(SjisToJis(code));
        result += static_cast<char>(code >> 8);
        result += static_cast<char>(code & 0xFF);
    }
    return result;
}

}  // namespace tanmira::jeuc
