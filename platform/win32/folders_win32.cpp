// Folders and drives on Windows for the folder chooser: the current directory, existence tests,
// drive letters with their types, volume labels and network connections.
#include <windows.h>
#include <winnetwk.h>

#include "platform/byte_rules.h"
#include "platform/current_directory.h"
#include "platform/platform.h"

namespace tanmira::platform {

namespace {

constexpr DWORD kLongestPath = MAX_PATH + 1;  // a path of up to 260 bytes and its terminator

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
    return SetCurrentDirectoryA(folder.c_str()) != 0;
}

}  // namespace detail

std::string CurrentDirectory() {
    std::string buffer(kLongestPath, '\0');
    for (;;) {
        const DWORD length = GetCurrentDirectoryA(static_cast<DWORD>(buffer.size()), buffer.data());
        if (length == 0)
            return {};
        if (length < buffer.size()) {
            buffer.resize(length);
            return buffer;
        }
        buffer.resize(length);  // the size asked for, terminator included
    }
}

bool FolderExists(const std::string& path) {
    if (path.empty())
        return false;
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool FileExists(const std::string& path) {
    // The path itself, never a pattern that would match some other name.
    if (path.empty() || HasWildcard(path))
        return false;
    WIN32_FIND_DATAA found{};
    const HANDLE search = FindFirstFileA(path.c_str(), &found);
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
        const UINT type = GetDriveTypeA(root.c_str());
        if (type < DRIVE_REMOVABLE || type > DRIVE_RAMDISK)
            continue;
        drives.push_back(Drive{root, static_cast<DriveType>(type)});
    }
    return drives;
}

std::optional<VolumeInfo> VolumeInformation(const std::string& root) {
    char label[kLongestPath] = {};
    DWORD flags = 0;
    QuietErrors quiet;
    if (!GetVolumeInformationA(root.c_str(), label, kLongestPath, nullptr, nullptr, &flags, nullptr,
                               0))
        return std::nullopt;
    return VolumeInfo{label, (flags & FILE_CASE_SENSITIVE_SEARCH) != 0,
                      (flags & FILE_CASE_PRESERVED_NAMES) != 0};
}

std::optional<std::string> RemoteName(const std::string& root) {
    if (root.size() < 2 || root[1] != ':')
        return std::nullopt;
    const std::string device = root.substr(0, 2);
    char remote[kLongestPath] = {};
    DWORD size = kLongestPath;
    if (WNetGetConnectionA(device.c_str(), remote, &size) != NO_ERROR)
        return std::nullopt;
    return std::string(remote);
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
