// Folder listing on Windows: FindFirstFileW, FindNextFileW and FindClose on the folder's long
// path, with the entries' own attribute words and their names in UTF-8, the search handle closed
// before the listing is returned. A folder's identity (volume serial number and file index, links
// and junctions followed) lets the walk recognise a folder already on its descent path.
#include <windows.h>

#include <atomic>

#include "platform/platform.h"
#include "platform/wide_text.h"
#include "platform/win32/wide_path.h"

namespace tanmira::platform {

namespace {

// An identity of its own for a folder whose real one cannot be read, so that it never passes for
// a folder on the descent path.
FileId UnknownIdentity() {
    static std::atomic<std::uint64_t> next{0};
    return FileId{~std::uint64_t{0}, next++};
}

// Identity of the folder at path (its long path), links followed.
FileId FolderIdentity(const std::wstring& path) {
    const HANDLE folder =
        CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (folder == INVALID_HANDLE_VALUE)
        return UnknownIdentity();
    BY_HANDLE_FILE_INFORMATION info{};
    const bool read = GetFileInformationByHandle(folder, &info) != 0;
    CloseHandle(folder);
    if (!read)
        return UnknownIdentity();
    return FileId{info.dwVolumeSerialNumber,
                  (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow};
}

// What a failed FindFirstFileW says about the folder.
ListingResult FailedStart(const std::string& folder, DWORD error) {
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
            // Nothing matched: an empty root (roots have no "." and ".."), or no folder at all.
            return FolderExists(folder) ? ListingResult::Listed : ListingResult::Missing;
        case ERROR_PATH_NOT_FOUND:
        case ERROR_DIRECTORY:
        case ERROR_INVALID_NAME:
            return ListingResult::Missing;
        default:
            return ListingResult::Unreadable;  // access denied, no medium, ...
    }
}

}  // namespace

FolderListing ListFolder(const std::string& folder, AttributeWord,
                         const std::vector<std::uint64_t>& /*kernelDevices*/) {
    // Every word is complete here: the attribute word comes with each entry.
    FolderListing listing;
    // An empty folder is the root of the current drive, as "\" is.
    const std::optional<std::wstring> path = detail::WidePath(folder.empty() ? "\\" : folder);
    if (!path)
        return listing;  // not a name the system could hold
    const std::wstring pattern = *path + (path->ends_with(L'\\') ? L"*" : L"\\*");
    WIN32_FIND_DATAW found{};
    const HANDLE search = FindFirstFileW(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        listing.result = FailedStart(folder, GetLastError());
        if (listing.result == ListingResult::Listed)
            listing.folderId = FolderIdentity(*path);
        return listing;
    }
    do {
        const std::wstring_view name = found.cFileName;
        if (name != L"." && name != L"..")
            listing.entries.push_back(DirEntry{WideToUtf8(name), found.dwFileAttributes});
    } while (FindNextFileW(search, &found));
    const DWORD end = GetLastError();
    FindClose(search);
    listing.result = end == ERROR_NO_MORE_FILES ? ListingResult::Listed : ListingResult::Unreadable;
    listing.folderId = FolderIdentity(*path);
    return listing;
}

std::vector<std::uint64_t> PseudoFileSystemDevices() {
    return {};
}

}  // namespace tanmira::platform
