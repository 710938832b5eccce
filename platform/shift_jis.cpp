// The lead bytes of Shift_JIS, a fixed table the same on every platform, and the backward
// trail-byte rule of double-byte code pages.
#include "platform/byte_rules.h"
#include "platform/platform.h"

namespace tanmira::platform {

const LeadByteTable& ShiftJisLeadBytes() {
    static const LeadByteTable table = [] {
        LeadByteTable lead;
        for (int b = 0x81; b <= 0x9F; ++b)
            lead.set(static_cast<std::size_t>(b));
        for (int b = 0xE0; b <= 0xFC; ++b)
            lead.set(static_cast<std::size_t>(b));
        return lead;
    }();
    return table;
}

bool IsTrailByte(std::string_view s, std::size_t i, const LeadByteTable& leadBytes) {
    if (i < 2 || i > s.size() || s[i - 1] == '\0')
        return false;
    std::size_t run = 0;
    for (std::size_t j = i - 1; j >= 1 && leadBytes.test(static_cast<unsigned char>(s[j - 1])); --j)
        ++run;
    return run % 2 == 1;
}

}  // namespace tanmira::platform
