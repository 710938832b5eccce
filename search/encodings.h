// The keyword encodings: one table that the window's encoding list, tanmira-cli's --encoding and
// the preparation of content keywords all read. Adding an encoding means adding a row here.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"
#include "search/text_rules.h"

namespace tanmira {

// The items of the encoding list, in list order.
enum class KeywordEncoding { ShiftJis, Euc, Utf8, Utf16, All };

// How a keyword and the text searched for it are folded.
enum class FoldingRule {
    Ascii,     // A-Z to a-z on every byte
    ShiftJis,  // A-Z to a-z except Shift_JIS trail bytes, once the keyword holds a double-byte
               // character; plain ASCII otherwise
};

// One byte form in which a keyword is searched for.
struct KeywordForm {
    // The code page into which the typed keyword (system code page) is converted first.
    platform::CodePage codePage;
    // A conversion applied to the result afterwards, or null.
    std::string (*thenConvert)(const std::string&);
    FoldingRule folding;
    // The code page in which a text that holds this form is decoded for display.
    platform::CodePage text;
    // The code units of the form. A UTF-16 form matches only at even offsets from the start of a
    // file, folds an ASCII letter only as a whole unit and sees the whole file; a single-byte
    // form's text ends at the file's first 0 byte.
    CodeUnit unit = CodeUnit::Byte;
};

// One item of the encoding list.
struct EncodingEntry {
    KeywordEncoding encoding;
    const char* caption;  // the item's text in the window (UTF-8)
    const char* cliName;  // the value of tanmira-cli's --encoding
    // The forms searched; a keyword occurs in a text when any of them does.
    std::vector<KeywordForm> forms;
};

// Every encoding, in the order of the window's list.
const std::vector<EncodingEntry>& KeywordEncodings();

// The table's entry of encoding.
const EncodingEntry& EntryOf(KeywordEncoding encoding);

// The encoding of the list item at index; nothing when no item is chosen (index out of range).
std::optional<KeywordEncoding> EncodingAt(int index);

// The encoding whose command-line name is name; nothing for an unknown name.
std::optional<KeywordEncoding> EncodingNamed(std::string_view name);

}  // namespace tanmira
