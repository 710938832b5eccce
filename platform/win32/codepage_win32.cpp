// Code pages on Windows: the system code page is the process's ANSI code page, its lead bytes
// come from GetCPInfo; conversions go through UTF-16 with MultiByteToWideChar and
// WideCharToMultiByte, the UTF-16 forms being that UTF-16 laid out in bytes.
#include <windows.h>

#include "platform/platform.h"

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
        case CodePage::Utf8:
            return CP_UTF8;
        case CodePage::System:
        case CodePage::Utf16Le:
        case CodePage::Utf16Be:
            break;
    }
    return GetACP();
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

LeadByteTable ReadSystemLeadBytes() {
    LeadByteTable table;
    CPINFO info{};
    if (!GetCPInfo(CP_ACP, &info))
        return table;
    // Pairs of inclusive ranges, ended by a pair of zeros.
    for (int i = 0; i + 1 < MAX_LEADBYTES && info.LeadByte[i] != 0; i += 2) {
        for (int b = info.LeadByte[i]; b <= info.LeadByte[i + 1]; ++b)
            table.set(static_cast<std::size_t>(b));
    }
    return table;
}

}  // namespace

const LeadByteTable& SystemLeadBytes() {
    static const LeadByteTable table = ReadSystemLeadBytes();
    return table;
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

}  // namespace tanmira::platform
