// Paths for the wide Win32 functions: UTF-8 to UTF-16, made absolute, with the long-path prefix.
#include "platform/win32/wide_path.h"

#include <windows.h>

#include <algorithm>
#include <string_view>

#include "platform/wide_text.h"

namespace tanmira::platform::detail {

namespace {

bool InDeviceForm(const std::wstring& path) {
    return path.starts_with(L"\\\\?\\") || path.starts_with(L"\\\\.\\");
}

// True when path is absolute and already in the form the system would give it: a drive letter,
// a colon and a backslash, or two backslashes and a server, then names separated by single
// backslashes, none of them "." or "..". Such a path is prefixed as it is, so that names ending in
// "." or " " (which the system's normalisation would cut off, and which a folder listing gives)
// stay reachable.
bool IsNormalAbsolute(std::wstring_view path) {
    std::size_t rest = 0;
    if (path.size() >= 3 && path[1] == L':' && path[2] == L'\\' &&
        ((path[0] >= L'A' && path[0] <= L'Z') || (path[0] >= L'a' && path[0] <= L'z')))
        rest = 3;
    else if (path.size() > 2 && path.starts_with(L"\\\\") && path[2] != L'?' && path[2] != L'.')
        rest = 2;
    else
        return false;
    for (std::size_t start = rest; start < path.size();) {
        const std::size_t end = std::min(path.find(L'\\', start), path.size());
        const std::wstring_view name = path.substr(start, end - start);
        if (name.empty() || name == L"." || name == L".." || name.find(L'/') != name.npos)
            return false;
        start = end + 1;
    }
    return true;
}

// The long form of an absolute path in the system's form.
std::wstring Prefixed(const std::wstring& path) {
    if (InDeviceForm(path))  // also a device name such as NUL, made absolute
        return path;
    if (path.starts_with(L"\\\\"))
        return L"\\\\?\\UNC\\" + path.substr(2);
    return L"\\\\?\\" + path;
}

}  // namespace

std::optional<std::wstring> WidePath(const std::string& path) {
    std::optional<std::wstring> wide = Utf8ToWide(path);
    if (!wide || wide->empty())
        return std::nullopt;
    if (InDeviceForm(*wide) || IsNormalAbsolute(*wide))
        return Prefixed(*wide);
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
    return Prefixed(full);
}

}  // namespace tanmira::platform::detail
