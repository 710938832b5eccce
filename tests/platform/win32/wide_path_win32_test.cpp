// The long form of paths for the wide functions: made absolute and normalised by the system, then
// prefixed so that they may pass 260 characters.
#include <windows.h>

#include <gtest/gtest.h>

#include "platform/platform.h"
#include "platform/wide_text.h"
#include "platform/win32/wide_path.h"

namespace tanmira::platform {
namespace {

TEST(WidePathWin32, AbsoluteNormalisedAndPrefixed) {
    const std::wstring current = Utf8ToWide(CurrentDirectory()).value();
    const struct {
        std::string path;
        std::optional<std::wstring> wide;
    } cases[] = {
        {"C:\\a\\..\\b\\.\\c", L"\\\\?\\C:\\b\\c"},
        {"C:/x/y", L"\\\\?\\C:\\x\\y"},
        {"C:\\x\\\\y", L"\\\\?\\C:\\x\\y"},
        {"C:\\x\\dot. \\space ", L"\\\\?\\C:\\x\\dot. \\space "},  // normal already: kept exactly
        {"C:\\\xED\x95\x9C", L"\\\\?\\C:\\\uD55C"},
        {"\\\\server\\share\\a\\..\\x", L"\\\\?\\UNC\\server\\share\\x"},
        {"\\\\?\\C:\\a\\..\\kept", L"\\\\?\\C:\\a\\..\\kept"},  // already the system's own form
        {"sub", L"\\\\?\\" + current + (current.ends_with(L'\\') ? L"" : L"\\") + L"sub"},
        {"", std::nullopt},
        {"C:\\\x95\x5C", std::nullopt},  // Shift_JIS bytes are no UTF-8
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(detail::WidePath(c.path), c.wide);
    }
}

}  // namespace
}  // namespace tanmira::platform
