// Preparation of the content keywords for the chosen encoding: each form of the encoding's table
// entry (Shift_JIS, EUC-JP through the jeuc conversion, UTF-8, UTF-16LE and UTF-16BE), with its
// folding rule and code units.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "search/encodings.h"

namespace tanmira {

// A content keyword in one form, as it is searched.
struct PreparedKeyword {
    // The keyword's bytes in the form's encoding.
    std::string bytes;
    // False when the encoding cannot hold the keyword: such a keyword matches no file.
    bool representable = true;
    // True when the keyword and the text are folded with the Shift_JIS lead bytes, leaving trail
    // bytes alone: a Shift_JIS keyword that holds a double-byte character and an ASCII letter
    // byte. Otherwise plain ASCII folding applies (without a letter byte both rules find the
    // keyword in the same places, and the plain one is cheaper).
    bool shiftJisFolding = false;
    // The index of the form in its encoding's table entry: which form a match is in.
    std::size_t form = 0;
    // The code units of the form: a UTF-16 keyword matches at even file offsets only, folded by
    // whole units, in the whole file.
    CodeUnit unit = CodeUnit::Byte;

    // The same bytes searched the same way, whichever form they came from.
    friend bool operator==(const PreparedKeyword& a, const PreparedKeyword& b) {
        return a.bytes == b.bytes && a.representable == b.representable &&
               a.shiftJisFolding == b.shiftJisFolding && a.unit == b.unit;
    }
};

// A content keyword in every form that its encoding searches; it occurs in a text when any form
// does. Forms that come out the same (an ASCII keyword in every encoding) are kept once, as the
// first of them.
using KeywordForms = std::vector<PreparedKeyword>;

// Converts a keyword typed in the system code page into the bytes of one form.
PreparedKeyword PrepareKeyword(const std::string& typed, const KeywordForm& form);

// Converts a keyword typed in the system code page into every form of encoding.
KeywordForms PrepareKeywordForms(const std::string& typed, KeywordEncoding encoding);

}  // namespace tanmira
