// Text rules: case folding, substring search, equality, path parts and decimal text.
#include "search/text_rules.h"

#include <algorithm>

namespace tanmira {

namespace {

// Whether c is one of the few delimiter bytes (a plain loop: this runs for every byte of every
// file name tested).
bool IsOneOf(char c, std::string_view delimiters) {
    for (const char d : delimiters) {
        if (c == d)
            return true;
    }
    return false;
}

// 1-based position of the last delimiter of path that is a whole character, or 0.
std::size_t LastDelimiter(std::string_view path, std::string_view delimiters,
                          const LeadByteTable& leadBytes) {
    std::size_t i = path.size();
    while (i > 0) {
        const char c = path[i - 1];
        if (c != '\0' && IsOneOf(c, delimiters)) {
            if (!IsTrailByte(path, i, leadBytes))
                return i;
            i = i >= 2 ? i - 2 : 0;
            continue;
        }
        --i;
    }
    return 0;
}

std::string_view NameDelimiters(PathStyle style) {
    return style == PathStyle::Windows ? std::string_view("\\:") : std::string_view("/");
}

std::string_view ExtensionDelimiters(PathStyle style) {
    return style == PathStyle::Windows ? std::string_view(".\\:") : std::string_view("./");
}

}  // namespace

const LeadByteTable& NoLeadBytes() {
    static const LeadByteTable none;
    return none;
}

std::string FoldCase(std::string_view s, const LeadByteTable& leadBytes) {
    std::string folded(s);
    if (leadBytes.none()) {  // no trail bytes to keep (the POSIX system code page)
        for (char& c : folded)
            c = LowerAscii(c);
        return folded;
    }
    TrailCursor cursor(leadBytes);
    for (char& c : folded) {
        if (!cursor.Next(c))
            c = LowerAscii(c);
    }
    return folded;
}

std::string FoldCase(std::string_view s, CodeUnit unit) {
    if (unit == CodeUnit::Byte)
        return FoldCase(s, NoLeadBytes());
    std::string folded(s);
    const std::size_t lowAt = unit == CodeUnit::Utf16Le ? 0 : 1;
    for (std::size_t i = 0; i + 1 < folded.size(); i += 2)
        folded[i + lowAt] = FoldedLowByte(folded.data() + i, unit);
    return folded;
}

std::size_t FindSubstring(std::string_view pattern, std::string_view text) {
    if (pattern.empty() || text.empty() || pattern.size() > text.size())
        return 0;
    const std::size_t at = text.find(pattern);
    return at == std::string_view::npos ? 0 : at + 1;
}

bool SameBytes(std::string_view a, std::string_view b) {
    return a == b;
}

std::string FileNamePart(std::string_view path, PathStyle style, const LeadByteTable& leadBytes) {
    return std::string(path.substr(LastDelimiter(path, NameDelimiters(style), leadBytes)));
}

std::string ExtensionPart(std::string_view path, PathStyle style, const LeadByteTable& leadBytes) {
    const std::size_t i = LastDelimiter(path, ExtensionDelimiters(style), leadBytes);
    if (i == 0 || path[i - 1] != '.')
        return std::string();
    return std::string(path.substr(i - 1));
}

bool EndsInSeparator(std::string_view path, PathStyle style, const LeadByteTable& leadBytes) {
    return !path.empty() && path.back() == platform::Separator(style) &&
           !IsTrailByte(path, path.size(), leadBytes);
}

std::string DecimalText(std::int32_t n) {
    return std::to_string(n);
}

std::vector<std::string_view> SplitLines(std::string_view text, CodeUnit unit,
                                         std::size_t maxLines) {
    const std::size_t size = UnitSize(unit);
    // Whether a whole unit starts at at and has the value c.
    auto unitIs = [&](std::size_t at, char16_t c) {
        return at + size <= text.size() && UnitAt(text.data() + at, unit) == c;
    };
    // Where the line from `from` ends: at its line-break unit, or at the end of the text.
    auto lineEnd = [&](std::size_t from) {
        if (unit == CodeUnit::Byte) {
            // A plain loop: find_first_of tests each byte against the set through a call.
            while (from < text.size() && text[from] != '\r' && text[from] != '\n')
                ++from;
            return from;
        }
        while (from < text.size() && !unitIs(from, u'\r') && !unitIs(from, u'\n'))
            from = std::min(from + size, text.size());
        return from;
    };
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    while (start < text.size() && lines.size() < maxLines) {
        const std::size_t end = lineEnd(start);
        lines.push_back(text.substr(start, end - start));
        start = end;
        if (unitIs(start, u'\r'))
            start += size;
        if (unitIs(start, u'\n'))
            start += size;
    }
    return lines;
}

}  // namespace tanmira
