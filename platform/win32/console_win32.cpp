// The standard streams on Windows: UTF-8 bytes to a pipe or a file; UTF-16 characters to a
// console through WriteConsoleW, which shows them whatever the console's code page (the bytes
// would be read in that code page, 932 or 437, not as UTF-8); whether one is a console.
#include <windows.h>

#include <algorithm>
#include <cstdio>

#include "platform/platform.h"
#include "platform/wide_text.h"

namespace tanmira::platform {

namespace {

// Writes text to a console, up to a write that the console refuses.
void WriteConsoleText(HANDLE console, const std::wstring& text) {
    constexpr std::size_t kLargestWrite = 8192;  // consoles take limited writes
    for (std::size_t done = 0; done < text.size();) {
        DWORD written = 0;
        const DWORD ask = static_cast<DWORD>(std::min(text.size() - done, kLargestWrite));
        if (!WriteConsoleW(console, text.data() + done, ask, &written, nullptr) || written == 0)
            return;
        done += written;
    }
}

}  // namespace

void WriteStandard(StandardStream stream, const std::string& text) {
    const bool output = stream == StandardStream::Output;
    std::FILE* file = output ? stdout : stderr;
    const HANDLE handle = GetStdHandle(output ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
    DWORD mode = 0;
    if (handle != nullptr && handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode)) {
        // Text that is not UTF-8 (never from the core) goes out as bytes after all.
        const std::optional<std::wstring> wide = Utf8ToWide(text);
        if (wide) {
            std::fflush(file);  // what went out before comes first
            WriteConsoleText(handle, *wide);
            return;
        }
    }
    std::fwrite(text.data(), 1, text.size(), file);
}

bool StandardErrorIsTerminal() {
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), &mode) != 0;
}

}  // namespace tanmira::platform
