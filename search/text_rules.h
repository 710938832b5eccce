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

// A lead-byte table in which no byte opens a double-byte character.
const LeadByteTable& NoLeadBytes();

// Lower-case copy of s: ASCII A-Z become a-z, except trail bytes of double-byte characters
// (by leadBytes); every other byte is kept. Same length as s.
std::string FoldCase(std::string_view s,
                     const LeadByteTable& leadBytes = platform::SystemLeadBytes());

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

// The lines of text: each CR LF, lone CR and lone LF ends one. A last line without a line break
// counts; no empty line follows a final line break.
std::vector<std::string_view> SplitLines(std::string_view text);

}  // namespace tanmira
