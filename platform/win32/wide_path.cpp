// Paths for the wide Win32 functions: UTF-8 to UTF-16, made absolute, with the long-path prefix.
#include "platform/win32/wide_path.h"

#include <windows.h>

#include "platform/wide_text.h"

namespace tanmira::platform::detail {

namespace {

bool InDeviceForm(const std::wstring& path) {
    return path.starts_with(L"\\\\?\\") || path.starts_with(L"\\\\.\\");
}

}  // namespace

std::optional<std::wstring> WidePath(const std::string& path) {
    std::optional<std::wstring> wide = Utf8ToWide(path);
    if (!wide || wide->empty())
        return std::nullopt;
    if (InDeviceForm(*wide))
        return wide;
    std::wstring full(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetFullPathNameW(wide->c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
        if (length == 0)
            return std::nullopt;
        if (length < full.size()) {
            full.resize(length);
            break;
        }
        full.resize(length);  // the size asked for, terminator included
    }
    if (InDeviceForm(full))  // a device name such as NUL
        return full;
    if (full.starts_with(L"\\\\"))
        return L"\\\\?\\UNC\\" + full.substr(2);
    return L"\\\\?\\" + full;
}

}  // namespace tanmira::platform::detail
