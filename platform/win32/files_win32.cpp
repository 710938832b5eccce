// File reading on Windows: CreateFileW on the file's long path, shared with readers only, so a
// file that another program holds open for writing is not read; only disk files open (no pipes,
// consoles or devices).
#include <windows.h>

#include <algorithm>

#include "platform/open_observer.h"
#include "platform/platform.h"
#include "platform/win32/wide_path.h"

namespace tanmira::platform {

namespace {

HANDLE Handle(std::intptr_t fd) {
    return reinterpret_cast<HANDLE>(fd);
}

// The change time of an open file, or 0 when it cannot be read.
std::uint64_t ChangeStamp(HANDLE file) {
    FILE_BASIC_INFO basic{};
    if (!GetFileInformationByHandleEx(file, FileBasicInfo, &basic, sizeof basic))
        return 0;
    return static_cast<std::uint64_t>(basic.ChangeTime.QuadPart);
}

}  // namespace

InputFile::InputFile(const std::string& path) {
    NoteOpen(path);
    const std::optional<std::wstring> wide = detail::WidePath(path);
    if (!wide)
        return;
    const HANDLE file = CreateFileW(wide->c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    LARGE_INTEGER size{};
    if (GetFileType(file) != FILE_TYPE_DISK || !GetFileSizeEx(file, &size)) {
        CloseHandle(file);
        return;
    }
    fd_ = reinterpret_cast<std::intptr_t>(file);
    stamp_ = {.change = ChangeStamp(file), .size = static_cast<std::uint64_t>(size.QuadPart)};
}

InputFile::~InputFile() {
    if (IsOpen())
        CloseHandle(Handle(fd_));
}

std::optional<FileStamp> StampOf(const std::string& path) {
    // Opened for its attributes only and shared with everyone: no writer is kept out meanwhile.
    const HANDLE file = CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return std::nullopt;
    FILE_STANDARD_INFO standard{};
    const bool known =
        GetFileInformationByHandleEx(file, FileStandardInfo, &standard, sizeof standard) &&
        !standard.DeletePending;
    const FileStamp stamp{.change = ChangeStamp(file),
                          .size = static_cast<std::uint64_t>(standard.EndOfFile.QuadPart)};
    CloseHandle(file);
    if (!known)
        return std::nullopt;
    return stamp;
}

std::optional<std::size_t> InputFile::Read(char* buffer, std::size_t count) {
    constexpr std::size_t kLargestRead = 1u << 30;  // ReadFile counts in 32 bits
    if (!IsOpen())
        return std::nullopt;
    std::size_t total = 0;
    while (total < count) {
        DWORD read = 0;
        const DWORD ask = static_cast<DWORD>(std::min(count - total, kLargestRead));
        if (!ReadFile(Handle(fd_), buffer + total, ask, &read, nullptr))
            return std::nullopt;  // what was read before is lost with the file's text
        if (read == 0)
            break;
        total += read;
    }
    return total;
}

std::optional<std::string> ReadWholeFile(const std::string& path) {
    InputFile file(path);
    if (!file.IsOpen())
        return std::nullopt;
    // Read on to the end even past the size taken at opening: a file that grew is read whole.
    std::string bytes(static_cast<std::size_t>(file.Size()) + 1, '\0');
    std::size_t used = 0;
    for (;;) {
        const std::optional<std::size_t> n = file.Read(bytes.data() + used, bytes.size() - used);
        if (!n)
            return std::nullopt;
        used += *n;
        if (used < bytes.size())
            break;
        bytes.resize(bytes.size() * 2);
    }
    bytes.resize(used);
    return bytes;
}

}  // namespace tanmira::platform
