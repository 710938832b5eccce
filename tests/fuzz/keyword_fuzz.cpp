// Fuzz target: keyword preparation never produces a "?" that was not typed, in any form of any
// encoding, and the UTF-8 form is the typed keyword itself.
#include "search/keyword_encoding.h"
#include "search/text_rules.h"
#include "tests/fuzz/fuzz_input.h"

using namespace tanmira;
using fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::FuzzInput input(data, size);
    const std::vector<EncodingEntry>& entries = KeywordEncodings();
    const KeywordEncoding encoding = entries[input.Byte() % entries.size()].encoding;
    const std::string typed = input.Rest();
    // The "?" characters of s in units of unit: in UTF-16 a 0x3F byte may be half of another
    // character (U+043F, U+3F00).
    const auto questionMarks = [](const std::string& s, CodeUnit unit = CodeUnit::Byte) {
        std::size_t count = 0;
        for (std::size_t at = 0; at + UnitSize(unit) <= s.size(); at += UnitSize(unit))
            count += UnitAt(s.data() + at, unit) == u'?';
        return count;
    };
    for (const PreparedKeyword& keyword : PrepareKeywordForms(typed, encoding)) {
        if (!keyword.representable)
            continue;
        Check(questionMarks(keyword.bytes, keyword.unit) <= questionMarks(typed));
        Check(encoding != KeywordEncoding::Utf8 || keyword.bytes == typed);
    }
    return 0;
}
