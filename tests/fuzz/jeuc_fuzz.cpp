// Fuzz target: the Shift_JIS to EUC-JP conversion of keywords: two output bytes for every lead
// byte (also a lone one at the end), other bytes unchanged, and no state across characters.

#include "search/jeuc.h"
#include "tests/fuzz/fuzz_input.h"

using namespace tanmira;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string s = fuzz::FuzzInput(data, size).Rest();
    const std::string euc = jeuc::SjisToEuc(s);
    std::size_t length = 0;
    std::size_t out = 0;
    std::size_t boundary = 0;  // a character boundary near the middle
    for (std::size_t i = 0; i < s.size();) {
        if (i <= s.size() / 2)
            boundary = i;
        const auto b = static_cast<unsigned char>(s[i]);
        if (jeuc::IsSjisLeadByte(b)) {
            length += 2;
            out += 2;
            i += std::min<std::size_t>(2, s.size() - i);
            continue;
        }
        fuzz::Check(out < euc.size() && euc[out] == s[i]);
        ++length;
        ++out;
        ++i;
    }
    fuzz::Check(euc.size() == length);
    fuzz::Check(jeuc::SjisToEuc(s.substr(0, boundary)) + jeuc::SjisToEuc(s.substr(boundary)) ==
                euc);
    return 0;
}
