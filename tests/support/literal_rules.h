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

// The same for a file's bytes: the list is read from text as its Text is written.
inline bool LiteralRuleFindsInText(const PreparedKeyword& keyword, const std::string& text) {
    TStringList list;
    list.SetText(text);
    return LiteralRuleFinds(keyword, list);
}

}  // namespace tanmira
