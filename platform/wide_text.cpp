// Conversions between UTF-8 and UTF-16, unpaired surrogates kept.
#include "platform/wide_text.h"

namespace tanmira::platform {

namespace {

bool IsContinuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

// Length of the sequence that lead opens, with the range its second byte must fall in (which
// rules out overlong forms and code points past U+10FFFF); 0 for a byte that opens none.
struct SequenceShape {
    std::size_t length;
    unsigned char secondLow;
    unsigned char secondHigh;
};

SequenceShape ShapeOf(unsigned char lead) {
    if (lead >= 0xC2 && lead <= 0xDF)
        return {2, 0x80, 0xBF};
    if (lead == 0xE0)
        return {3, 0xA0, 0xBF};
    if (lead >= 0xE1 && lead <= 0xEF)
        return {3, 0x80, 0xBF};  // ED A0-BF: a surrogate, kept as it is
    if (lead == 0xF0)
        return {4, 0x90, 0xBF};
    if (lead >= 0xF1 && lead <= 0xF3)
        return {4, 0x80, 0xBF};
    if (lead == 0xF4)
        return {4, 0x80, 0x8F};
    return {0, 0, 0};
}

void AppendUtf8(std::string& out, char32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

}  // namespace

std::optional<WideString> Utf8ToWide(std::string_view text) {
    WideString out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char lead = static_cast<unsigned char>(text[i]);
        if (lead < 0x80) {
            out += static_cast<WideChar>(lead);
            ++i;
            continue;
        }
        const SequenceShape shape = ShapeOf(lead);
        if (shape.length == 0 || text.size() - i < shape.length)
            return std::nullopt;
        const unsigned char second = static_cast<unsigned char>(text[i + 1]);
        if (second < shape.secondLow || second > shape.secondHigh)
            return std::nullopt;
        char32_t code = lead & (0xFF >> (shape.length + 1));
        for (std::size_t k = 1; k < shape.length; ++k) {
            const unsigned char byte = static_cast<unsigned char>(text[i + k]);
            if (!IsContinuation(byte))
                return std::nullopt;
            code = (code << 6) | (byte & 0x3F);
        }
        i += shape.length;
        if (code < 0x10000) {
            out += static_cast<WideChar>(code);
            continue;
        }
        code -= 0x10000;
        out += static_cast<WideChar>(0xD800 | (code >> 10));
        out += static_cast<WideChar>(0xDC00 | (code & 0x3FF));
    }
    return out;
}

std::string WideToUtf8(WideStringView text) {
    std::string out;
    out.reserve(text.size() * 3);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char32_t unit = static_cast<char16_t>(text[i]);
        const bool high = unit >= 0xD800 && unit <= 0xDBFF;
        const char32_t next = i + 1 < text.size() ? static_cast<char16_t>(text[i + 1]) : 0;
        if (high && next >= 0xDC00 && next <= 0xDFFF) {
            AppendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (next - 0xDC00));
            ++i;
            continue;
        }
        AppendUtf8(out, unit);
    }
    return out;
}

std::string Utf16BytesToUtf8(std::string_view bytes, bool bigEndian) {
    constexpr char32_t kReplacement = 0xFFFD;
    auto unitAt = [&](std::size_t i) -> char32_t {
        const auto first = static_cast<unsigned char>(bytes[i]);
        const auto second = static_cast<unsigned char>(bytes[i + 1]);
        return bigEndian ? first << 8 | second : second << 8 | first;
    };
    const std::size_t units = bytes.size() / 2;
    std::string out;
    out.reserve(units * 3 + 3);
    for (std::size_t u = 0; u < units; ++u) {
        const char32_t unit = unitAt(2 * u);
        const char32_t next = u + 1 < units ? unitAt(2 * u + 2) : 0;
        if (unit >= 0xD800 && unit <= 0xDBFF && next >= 0xDC00 && next <= 0xDFFF) {
            AppendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (next - 0xDC00));
            ++u;
            continue;
        }
        AppendUtf8(out, unit >= 0xD800 && unit <= 0xDFFF ? kReplacement : unit);
    }
    if (bytes.size() % 2 == 1)
        AppendUtf8(out, kReplacement);
    return out;
}

}  // namespace tanmira::platform
