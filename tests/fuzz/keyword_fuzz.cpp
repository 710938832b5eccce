// Fuzz target: keyword preparation never produces a "?" that was not typed, in any form of any
// encoding, and the UTF-8 form is the typed keyword itself.
#include <algorithm>

#include "search/keyword_encoding.h"
#include "tests/fuzz/fuzz_input.h"

using namespace tanmira;
using fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::FuzzInput input(data, size);
    const std::vector<EncodingEntry>& entries = KeywordEncodings();
    const KeywordEncoding encoding = entries[input.Byte() % entries.size()].encoding;
    const std::string typed = input.Rest();
    const auto questionMarks = [](const std::string& s) {
        return std::count(s.begin(), s.end(), '?');
    };
    for (const PreparedKeyword& keyword : PrepareKeywordForms(typed, encoding)) {
        if (!keyword.representable)
            continue;
        Check(questionMarks(keyword.bytes) <= questionMarks(typed));
        Check(encoding != KeywordEncoding::Utf8 || keyword.bytes == typed);
    }
    return 0;
}
