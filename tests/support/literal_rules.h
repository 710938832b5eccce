// The content test as the literal rules state it, for checking the fast content scan: the Text
// of the loaded string list and the keyword, both folded by the keyword's rule, then a find.
#pragma once

#include <string>

#include "platform/platform.h"
#include "search/keyword_encoding.h"
#include "search/string_list.h"
#include "search/text_rules.h"

namespace tanmira {

// Whether keyword occurs in the Text of list; an unrepresentable keyword occurs nowhere.
inline bool LiteralRuleFinds(const PreparedKeyword& keyword, const TStringList& list) {
    if (!keyword.representable)
        return false;
    const LeadByteTable& leads =
        keyword.shiftJisFolding ? platform::ShiftJisLeadBytes() : NoLeadBytes();
    return FindSubstring(FoldCase(keyword.bytes, leads), FoldCase(list.Text(), leads)) != 0;
}

// The same for a file's bytes: the list is read from text as its Text is written. A keyword in
// UTF-16 units is looked for in the whole text instead, both folded by units, at even offsets.
inline bool LiteralRuleFindsInText(const PreparedKeyword& keyword, const std::string& text) {
    if (keyword.unit != CodeUnit::Byte) {
        if (!keyword.representable || keyword.bytes.empty() || keyword.bytes.size() % 2 != 0)
            return false;
        const std::string pattern = FoldCase(keyword.bytes, keyword.unit);
        const std::string folded = FoldCase(text, keyword.unit);
        for (std::size_t at = folded.find(pattern); at != std::string::npos;
             at = folded.find(pattern, at + 1)) {
            if (at % 2 == 0)
                return true;
        }
        return false;
    }
    TStringList list;
    list.SetText(text);
    return LiteralRuleFinds(keyword, list);
}

}  // namespace tanmira
