// Folders and drives on Windows for the folder chooser: the current directory, existence tests,
// drive letters with their types, volume labels and network connections, all through the wide
// functions with texts in UTF-8.
#include <windows.h>
#include <winnetwk.h>

#include "platform/byte_rules.h"
#include "platform/current_directory.h"
#include "platform/platform.h"
#include "platform/wide_text.h"
#include "platform/win32/wide_path.h"

namespace tanmira::platform {

namespace {

constexpr DWORD kLongestLabel = MAX_PATH + 1;  // a volume label and its terminator

bool HasWildcard(const std::string& path) {
    return path.find_first_of("*?") != std::string::npos;
}

// Switches the system's critical-error dialogs (such as "no disk in drive") off while it lives.
class QuietErrors {
  public:
    QuietErrors() : previous_(SetErrorMode(SEM_FAILCRITICALERRORS)) {}
    ~QuietErrors() { SetErrorMode(previous_); }
    QuietErrors(const QuietErrors&) = delete;
    QuietErrors& operator=(const QuietErrors&) = delete;

  private:
    UINT previous_;
};

}  // namespace

namespace detail {

bool ChangeDirectory(const std::string& folder) {
    // Without the long-path prefix: the current directory is a plain path, held to 260 characters
    // unless the system allows long paths.
    const std::optional<std::wstring> wide = Utf8ToWide(folder);
    return wide && SetCurrentDirectoryW(wide->c_str()) != 0;
}

}  // namespace detail

std::string CurrentDirectory() {
    std::wstring buffer(MAX_PATH + 1, L'\0');
    for (;;) {
        const DWORD length = GetCurrentDirectoryW(static_cast<DWORD>(buffer.size()), buffer.data());
        if (length == 0)
            return {};
        if (length < buffer.size()) {
            buffer.resize(length);
            return WideToUtf8(buffer);
        }
        buffer.resize(length);  // the size asked for, terminator included
    }
}

bool FolderExists(const std::string& path) {
    const std::optional<std::wstring> wide = detail::WidePath(path);
    if (!wide)
        return false;
    const DWORD attributes = GetFileAttributesW(wide->c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool FileExists(const std::string& path) {
    // The path itself, never a pattern that would match some other name.
    if (HasWildcard(path))
        return false;
    const std::optional<std::wstring> wide = detail::WidePath(path);
    if (!wide)
        return false;
    WIN32_FIND_DATAW found{};
    const HANDLE search = FindFirstFileW(wide->c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return false;
    FindClose(search);
    return (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

std::vector<Drive> Drives() {
    std::vector<Drive> drives;
    const DWORD present = GetLogicalDrives();
    for (int bit = 0; bit < 26; ++bit) {
        if ((present & (DWORD{1} << bit)) == 0)
            continue;
        const std::string root{static_cast<char>('a' + bit), ':', '\\'};
        const wchar_t wideRoot[] = {static_cast<wchar_t>(L'a' + bit), L':', L'\\', L'\0'};
        const UINT type = GetDriveTypeW(wideRoot);
        if (type < DRIVE_REMOVABLE || type > DRIVE_RAMDISK)
            continue;
        drives.push_back(Drive{root, static_cast<DriveType>(type)});
    }
    return drives;
}

std::optional<VolumeInfo> VolumeInformation(const std::string& root) {
    const std::optional<std::wstring> wideRoot = Utf8ToWide(root);
    if (!wideRoot)
        return std::nullopt;
    wchar_t label[kLongestLabel] = {};
    DWORD flags = 0;
    QuietErrors quiet;
    if (!GetVolumeInformationW(wideRoot->c_str(), label, kLongestLabel, nullptr, nullptr, &flags,
                               nullptr, 0))
        return std::nullopt;
    return VolumeInfo{WideToUtf8(label), (flags & FILE_CASE_SENSITIVE_SEARCH) != 0,
                      (flags & FILE_CASE_PRESERVED_NAMES) != 0};
}

std::optional<std::string> RemoteName(const std::string& root) {
    if (root.size() < 2 || root[1] != ':')
        return std::nullopt;
    const wchar_t device[] = {static_cast<wchar_t>(static_cast<unsigned char>(root[0])), L':',
                              L'\0'};
    std::wstring remote(MAX_PATH + 1, L'\0');
    for (;;) {
        DWORD size = static_cast<DWORD>(remote.size());
        const DWORD result = WNetGetConnectionW(device, remote.data(), &size);
        if (result == ERROR_MORE_DATA && size > remote.size()) {
            remote.resize(size);  // the size asked for, terminator included
            continue;
        }
        if (result != NO_ERROR)
            return std::nullopt;
        return WideToUtf8(remote.c_str());
    }
}

std::string DriveOf(const std::string& path) {
    if (path.size() >= 2 && path[1] == ':')
        return std::string{LowerAscii(path[0]), ':', '\\'};
    if (path.rfind("\\\\", 0) != 0)
        return {};
    // A network folder: its share, "\\server\share\".
    const std::size_t server = path.find('\\', 2);
    if (server == std::string::npos)
        return path + "\\";
    const std::size_t share = path.find('\\', server + 1);
    return share == std::string::npos ? path + "\\" : path.substr(0, share + 1);
}

}  // namespace tanmira::platform
