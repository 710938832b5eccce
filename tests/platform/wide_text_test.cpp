// The conversions between UTF-8 and the UTF-16 of the Windows wide functions: names outside code
// page 932 and unpaired surrogates survive the round trip; bytes that are not UTF-8 are refused.
#include <gtest/gtest.h>

#include "platform/wide_text.h"

namespace tanmira::platform {
namespace {

WideString Wide(std::u16string_view units) {
    return WideString(units.begin(), units.end());
}

TEST(WideText, ConvertsBothWaysUnpairedSurrogatesIncluded) {
    const struct {
        std::string utf8;
        std::u16string utf16;
    } cases[] = {
        {"", u""},
        {"\xC3\xB1"
         "and\xC3\xBA",
         u"\u00F1and\u00FA"},                                              // ñandú
        {"\xED\x95\x9C\xEA\xB8\x80", u"\uD55C\uAE00"},                     // 한글
        {"\xE8\xA1\xA8", u"\u8868"},                                       // 表
        {"emoji\xF0\x9F\x98\x80", u"emoji\U0001F600"},                     // a surrogate pair
        {"\xF4\x8F\xBF\xBF", u"\U0010FFFF"},                               // the last code point
        {"a\xED\xA0\x80z", std::u16string{u'a', char16_t(0xD800), u'z'}},  // lone high
        {"\xED\xBF\xBF", std::u16string{char16_t(0xDFFF)}},                // lone low
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.utf8);
        EXPECT_EQ(Utf8ToWide(c.utf8), Wide(c.utf16));
        EXPECT_EQ(WideToUtf8(Wide(c.utf16)), c.utf8);
    }
}

TEST(WideText, RefusesBytesThatAreNotUtf8) {
    for (const std::string bad : {
             "\x80",              // a continuation byte alone (or a Shift_JIS trail byte)
             "\xC0\xAF",          // overlong "/"
             "\xE0\x80\xAF",      // overlong "/" in three bytes
             "\xF0\x8F\xBF\xBF",  // overlong U+FFFF
             "\xF4\x90\x80\x80",  // past U+10FFFF
             "\xE8\xA1",          // cut short
             "\xE8\xA1/",         // a continuation missing
         }) {
        SCOPED_TRACE(::testing::PrintToString(bad));
        EXPECT_FALSE(Utf8ToWide("ok" + bad).has_value());
    }
}

}  // namespace
}  // namespace tanmira::platform
