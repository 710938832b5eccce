// Code pages on Windows: the system code page is UTF-8, as on POSIX (the names of the wide
// functions are converted to it, and the manifest makes it the process's ANSI code page too), so
// it has no lead bytes; conversions go through UTF-16 with MultiByteToWideChar and
// WideCharToMultiByte, the UTF-16 forms being that UTF-16 laid out in bytes.
#include <windows.h>

#include <algorithm>

#include "platform/platform.h"
#include "platform/wide_text.h"

namespace tanmira::platform {

namespace {

constexpr UINT kShiftJis = 932;
constexpr UINT kEucJp = 20932;

UINT WindowsCodePage(CodePage page) {
    switch (page) {
        case CodePage::ShiftJis:
            return kShiftJis;
        case CodePage::EucJp:
            return kEucJp;
        case CodePage::System:
        case CodePage::Utf8:
        case CodePage::Utf16Le:
        case CodePage::Utf16Be:
            break;
    }
    return CP_UTF8;
}

bool IsUtf16(CodePage page) {
    return page == CodePage::Utf16Le || page == CodePage::Utf16Be;
}

// The byte of a code unit that comes first in the form.
bool HighByteFirst(CodePage page) {
    return page == CodePage::Utf16Be;
}

std::string Utf16Bytes(const std::wstring& text, CodePage page) {
    std::string out;
    out.reserve(text.size() * 2);
    for (const wchar_t unit : text) {
        const char low = static_cast<char>(unit & 0xFF);
        const char high = static_cast<char>((unit >> 8) & 0xFF);
        out += HighByteFirst(page) ? high : low;
        out += HighByteFirst(page) ? low : high;
    }
    return out;
}

// The code units of UTF-16 bytes; nothing for an odd byte count or an unpaired surrogate, which
// iconv rejects as well.
std::optional<std::wstring> Utf16Units(const std::string& bytes, CodePage page) {
    if (bytes.size() % 2 != 0)
        return std::nullopt;
    std::wstring out;
    out.reserve(bytes.size() / 2);
    for (std::size_t i = 0; i < bytes.size(); i += 2) {
        const auto first = static_cast<unsigned char>(bytes[i]);
        const auto second = static_cast<unsigned char>(bytes[i + 1]);
        out +=
            static_cast<wchar_t>(HighByteFirst(page) ? first << 8 | second : second << 8 | first);
    }
    for (std::size_t i = 0; i < out.size(); ++i) {
        const bool high = out[i] >= 0xD800 && out[i] <= 0xDBFF;
        const bool low = out[i] >= 0xDC00 && out[i] <= 0xDFFF;
        const bool lowNext = i + 1 < out.size() && out[i + 1] >= 0xDC00 && out[i + 1] <= 0xDFFF;
        if (low || (high && !lowNext))
            return std::nullopt;
        i += high;
    }
    return out;
}

std::optional<std::wstring> ToUtf16(const std::string& text, UINT page) {
    const int length = static_cast<int>(text.size());
    const int wide =
        MultiByteToWideChar(page, MB_ERR_INVALID_CHARS, text.data(), length, nullptr, 0);
    if (wide <= 0)
        return std::nullopt;
    std::wstring out(static_cast<std::size_t>(wide), L'\0');
    MultiByteToWideChar(page, MB_ERR_INVALID_CHARS, text.data(), length, out.data(), wide);
    return out;
}

std::optional<std::string> FromUtf16(const std::wstring& text, UINT page) {
    // UTF-8 reports unpaired surrogates through the flag; every other code page through the
    // default-character flag, with best-fit mappings (such as a full-width letter for "A") off.
    const bool utf8 = page == CP_UTF8;
    const DWORD flags = utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
    BOOL usedDefault = FALSE;
    BOOL* usedDefaultOut = utf8 ? nullptr : &usedDefault;
    const int length = static_cast<int>(text.size());
    const int bytes =
        WideCharToMultiByte(page, flags, text.data(), length, nullptr, 0, nullptr, usedDefaultOut);
    if (bytes <= 0 || usedDefault)
        return std::nullopt;
    std::string out(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(page, flags, text.data(), length, out.data(), bytes, nullptr, nullptr);
    return out;
}

}  // namespace

const LeadByteTable& SystemLeadBytes() {
    static const LeadByteTable none;
    return none;
}

std::optional<std::string> ConvertCodePage(const std::string& text, CodePage from, CodePage to) {
    if (text.empty())
        return std::string();
    const std::optional<std::wstring> wide =
        IsUtf16(from) ? Utf16Units(text, from) : ToUtf16(text, WindowsCodePage(from));
    if (!wide)
        return std::nullopt;
    if (IsUtf16(to))
        return Utf16Bytes(*wide, to);
    return FromUtf16(*wide, WindowsCodePage(to));
}

std::string DecodeToUtf8(std::string_view text, CodePage from) {
    if (IsUtf16(from))
        return Utf16BytesToUtf8(text, HighByteFirst(from));
    const UINT page = WindowsCodePage(from);
    std::string out;
    // Whole runs that decode are converted at once; elsewhere one character of up to 4 bytes
    // at a time, a byte that starts none becoming U+FFFD.
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t length = std::min<std::size_t>(text.size() - at, 64 * 1024);
        std::optional<std::wstring> wide;
        while (length > 0 && !(wide = ToUtf16(std::string(text.substr(at, length)), page)))
            length = length > 4 ? 4 : length - 1;
        if (!wide) {
            out += "\xEF\xBF\xBD";
            ++at;
            continue;
        }
        out += FromUtf16(*wide, CP_UTF8).value_or(std::string());
        at += length;
    }
    return out;
}

}  // namespace tanmira::platform
