// Folder listing on Windows: FindFirstFileA, FindNextFileA and FindClose with the entries' own
// attribute words, the search handle closed before the listing is returned. A folder's identity
// (volume serial number and file index, links and junctions followed) lets the walk recognise a
// folder already on its descent path.
#include <windows.h>

#include <atomic>
#include <string_view>

#include "platform/platform.h"

namespace tanmira::platform {

namespace {

// True when the 0x5C at the end of s is the trail byte of a double-byte character: the run of
// lead bytes just before it has an odd length.
bool EndsInTrailByte(const std::string& s) {
    const LeadByteTable& lead = SystemLeadBytes();
    std::size_t run = 0;
    for (std::size_t i = s.size() - 1; i > 0 && lead.test(static_cast<unsigned char>(s[i - 1]));
         --i)
        ++run;
    return run % 2 == 1;
}

// folder followed by "\\*.*", or by "*.*" alone when folder already ends in a separator (a whole
// character, not a trail byte) or a drive colon.
std::string SearchPattern(const std::string& folder) {
    if (folder.empty())
        return "\\*.*";
    const char last = folder.back();
    const bool ends = last == ':' || (last == '\\' && !EndsInTrailByte(folder));
    return folder + (ends ? "*.*" : "\\*.*");
}

// An identity of its own for a folder whose real one cannot be read, so that it never passes for
// a folder on the descent path.
FileId UnknownIdentity() {
    static std::atomic<std::uint64_t> next{0};
    return FileId{~std::uint64_t{0}, next++};
}

// Identity of the folder at path, links followed.
FileId FolderIdentity(const std::string& path) {
    const HANDLE folder =
        CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
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

// What a failed FindFirstFileA says about the folder.
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
            return ListingResult::Unreadable;  // access denied, no medium, path too long, ...
    }
}

}  // namespace

FolderListing ListFolder(const std::string& folder, AttributeWord,
                         const std::vector<std::uint64_t>& /*kernelDevices*/) {
    // Every word is complete here: the attribute word comes with each entry.
    FolderListing listing;
    WIN32_FIND_DATAA found{};
    const HANDLE search = FindFirstFileA(SearchPattern(folder).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        listing.result = FailedStart(folder, GetLastError());
        if (listing.result == ListingResult::Listed)
            listing.folderId = FolderIdentity(folder);
        return listing;
    }
    do {
        const std::string_view name = found.cFileName;
        if (name != "." && name != "..")
            listing.entries.push_back(DirEntry{std::string(name), found.dwFileAttributes});
    } while (FindNextFileA(search, &found));
    const DWORD end = GetLastError();
    FindClose(search);
    listing.result = end == ERROR_NO_MORE_FILES ? ListingResult::Listed : ListingResult::Unreadable;
    listing.folderId = FolderIdentity(folder);
    return listing;
}

std::vector<std::uint64_t> PseudoFileSystemDevices() {
    return {};
}

}  // namespace tanmira::platform
