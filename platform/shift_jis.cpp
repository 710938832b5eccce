// The lead bytes of Shift_JIS, a fixed table the same on every platform.
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

}  // namespace tanmira::platform
