// The byte-wise text rules on which every test of a search rests: the ASCII letter test and case
// tables, the trail-byte rules of double-byte characters, case folding, substring search,
// equality, the file-name and extension parts of a path, and decimal text. The lowest of them
// live in platform/byte_rules.h, so that the platform layer shares them; the search takes them
// from here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/byte_rules.h"
#include "platform/platform.h"

namespace tanmira {

using platform::IsAsciiLetter;
using platform::IsTrailByte;
using platform::LeadByteTable;
using platform::LowerAscii;
using platform::PathStyle;
using platform::TrailCursor;

// The code units of a text: single bytes, or UTF-16 units of two bytes in either byte order.
enum class CodeUnit { Byte, Utf16Le, Utf16Be };

// Bytes per code unit.
constexpr std::size_t UnitSize(CodeUnit unit) {
    return unit == CodeUnit::Byte ? 1 : 2;
}

// The value of the code unit whose bytes start at bytes (UnitSize(unit) of them).
constexpr char16_t UnitAt(const char* bytes, CodeUnit unit) {
    const auto first = static_cast<unsigned char>(bytes[0]);
    if (unit == CodeUnit::Byte)
        return first;
    const auto second = static_cast<unsigned char>(bytes[1]);
    return static_cast<char16_t>(unit == CodeUnit::Utf16Le ? second << 8 | first
                                                           : first << 8 | second);
}

// The byte of a UTF-16 unit (whose bytes start at bytes) that folding may change: its low byte,
// folded only when the whole unit is an ASCII letter (its high byte 0).
constexpr char FoldedLowByte(const char* bytes, CodeUnit unit) {
    const char low = unit == CodeUnit::Utf16Le ? bytes[0] : bytes[1];
    const char high = unit == CodeUnit::Utf16Le ? bytes[1] : bytes[0];
    return high == '\0' ? LowerAscii(low) : low;
}

// A lead-byte table in which no byte opens a double-byte character.
const LeadByteTable& NoLeadBytes();

// Lower-case copy of s: ASCII A-Z become a-z, except trail bytes of double-byte characters
// (by leadBytes); every other byte is kept. Same length as s.
std::string FoldCase(std::string_view s,
                     const LeadByteTable& leadBytes = platform::SystemLeadBytes());

// Lower-case copy of s taken as code units of unit, counted from its first byte: a unit that is an
// ASCII letter A-Z becomes a-z, every other unit (and a last odd byte) is kept. Same length.
std::string FoldCase(std::string_view s, CodeUnit unit);

// 1-based position of the first occurrence of pattern in text, or 0; an empty pattern never
// occurs.
std::size_t FindSubstring(std::string_view pattern, std::string_view text);

// True when a and b hold the same bytes.
bool SameBytes(std::string_view a, std::string_view b);

// The part of path after its last separator (or drive colon in the Windows style).
std::string FileNamePart(std::string_view path, PathStyle style = platform::kNativePathStyle,
                         const LeadByteTable& leadBytes = platform::SystemLeadBytes());

// The extension of path's file name from its last "." on, dot included, or the empty string.
std::string ExtensionPart(std::string_view path, PathStyle style = platform::kNativePathStyle,
                          const LeadByteTable& leadBytes = platform::SystemLeadBytes());

// True when the last character of path (a whole character, not a trail byte) is the separator.
bool EndsInSeparator(std::string_view path, PathStyle style = platform::kNativePathStyle,
                     const LeadByteTable& leadBytes = platform::SystemLeadBytes());

// Decimal digits of n, "-" first when negative.
std::string DecimalText(std::int32_t n);

// The lines of text, taken as code units of unit counted from its first byte: each CR LF, lone CR
// and lone LF unit ends one (in UTF-16LE the bytes 0D 00 0A 00, 0D 00 and 0A 00). A last line
// without a line break counts (a last odd byte of a UTF-16 text included); no empty line follows
// a final line break. The lines are the raw bytes, in the text's own units; at most maxLines of
// them, the first.
std::vector<std::string_view> SplitLines(std::string_view text, CodeUnit unit = CodeUnit::Byte,
                                         std::size_t maxLines = SIZE_MAX);

}  // namespace tanmira
