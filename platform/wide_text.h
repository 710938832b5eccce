// Inside platform/ (and its tests) only: the one pair of conversions between the core's UTF-8
// byte strings and the UTF-16 of the Windows wide functions. Plain code, so that it is tested on
// every host.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tanmira::platform {

// A UTF-16 code unit: the wide character of the Windows functions, char16_t elsewhere.
#ifdef _WIN32
using WideChar = wchar_t;
#else
using WideChar = char16_t;
#endif
using WideString = std::basic_string<WideChar>;
using WideStringView = std::basic_string_view<WideChar>;

// UTF-16 of a UTF-8 text; nothing when text is not UTF-8. The three-byte form of a surrogate is
// taken as that single code unit, so that a name holding an unpaired surrogate (which Windows
// file systems allow) comes back from WideToUtf8 as the name it was.
std::optional<WideString> Utf8ToWide(std::string_view text);

// UTF-8 of a UTF-16 text; an unpaired surrogate becomes its three-byte form.
std::string WideToUtf8(WideStringView text);

// UTF-8 of UTF-16 bytes (two a unit, the high byte first when bigEndian) for display: an unpaired
// surrogate and a last odd byte each become U+FFFD.
std::string Utf16BytesToUtf8(std::string_view bytes, bool bigEndian);

}  // namespace tanmira::platform
