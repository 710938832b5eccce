// Preparation of the content keywords for the chosen encoding: Shift_JIS, EUC-JP (through the
// jeuc conversion) or UTF-8.
#pragma once

#include <string>

#include "search/search_window.h"

namespace tanmira {

// A content keyword as it is searched.
struct PreparedKeyword {
    // The keyword's bytes in the chosen encoding.
    std::string bytes;
    // False when the encoding cannot hold the keyword: such a keyword matches no file.
    bool representable = true;
    // True when the keyword is Shift_JIS and holds a double-byte character: the keyword and the
    // text are then folded with the Shift_JIS lead bytes, leaving trail bytes alone; otherwise
    // plain ASCII folding applies.
    bool shiftJisFolding = false;
};

// Converts a keyword typed in the system code page into the bytes searched for in encoding.
PreparedKeyword PrepareKeyword(const std::string& typed, KeywordEncoding encoding);

}  // namespace tanmira
