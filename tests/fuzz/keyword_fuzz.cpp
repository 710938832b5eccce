// Fuzz target: keyword preparation never produces a "?" that was not typed, and a keyword that
// cannot be represented is marked so.
#include <algorithm>

#include "search/keyword_encoding.h"
#include "tests/fuzz/fuzz_input.h"

using namespace tanmira;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::FuzzInput input(data, size);
    const auto encoding = static_cast<KeywordEncoding>(input.Byte() % 3);
    const std::string typed = input.Rest();
    const PreparedKeyword keyword = PrepareKeyword(typed, encoding);
    if (!keyword.representable)
        return 0;
    const auto questionMarks = [](const std::string& s) {
        return std::count(s.begin(), s.end(), '?');
    };
    fuzz::Check(questionMarks(keyword.bytes) <= questionMarks(typed));
    fuzz::Check(encoding != KeywordEncoding::Utf8 || keyword.bytes == typed);
    return 0;
}
