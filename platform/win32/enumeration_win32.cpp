// Folder enumeration on Windows: FindFirstFileA, FindNextFileA and FindClose with the entries'
// own attribute words. A folder's identity (volume serial number and file index, links and
// junctions followed) lets the walk recognise a folder already on its descent path.
#include <windows.h>

#include <memory>

#include "platform/platform.h"
#include "platform/win32/search_pattern.h"

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

// Identity of the folder at path, links followed; zeros when it cannot be opened.
FileId FolderIdentity(const std::string& path) {
    const HANDLE folder =
        CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (folder == INVALID_HANDLE_VALUE)
        return {};
    BY_HANDLE_FILE_INFORMATION info{};
    FileId id;
    if (GetFileInformationByHandle(folder, &info)) {
        id.device = info.dwVolumeSerialNumber;
        id.index = (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow;
    }
    CloseHandle(folder);
    return id;
}

struct Search {
    HANDLE handle;
    WIN32_FIND_DATAA found;
    bool pending;  // found holds an entry not handed out yet
};

}  // namespace

namespace detail {

std::string SearchPattern(const std::string& folder) {
    if (folder.empty())
        return "\\*.*";
    const char last = folder.back();
    const bool ends = last == ':' || (last == '\\' && !EndsInTrailByte(folder));
    return folder + (ends ? "*.*" : "\\*.*");
}

}  // namespace detail

FolderEnumeration::FolderEnumeration(const std::string& folder) : folder_(folder) {
    auto search = std::make_unique<Search>();
    search->handle = FindFirstFileA(detail::SearchPattern(folder).c_str(), &search->found);
    if (search->handle == INVALID_HANDLE_VALUE)
        return;
    search->pending = true;
    folderId_ = FolderIdentity(folder);
    handle_ = search.release();
}

FolderEnumeration::~FolderEnumeration() {
    if (handle_ == nullptr)
        return;
    Search* search = static_cast<Search*>(handle_);
    FindClose(search->handle);
    delete search;
}

bool FolderEnumeration::Next(DirEntry& entry) {
    if (handle_ == nullptr)
        return false;
    Search* search = static_cast<Search*>(handle_);
    if (!search->pending && !FindNextFileA(search->handle, &search->found))
        return false;
    search->pending = false;
    entry.name = search->found.cFileName;
    entry.attributes = search->found.dwFileAttributes;
    // Only folders are descended into, so only they need an identity for the cycle check.
    const bool descendable =
        (entry.attributes & kDirectory) != 0 && entry.name != "." && entry.name != "..";
    std::string path = detail::SearchPattern(folder_);
    path.resize(path.size() - 3);  // the folder and its separator, without "*.*"
    entry.id = descendable ? FolderIdentity(path + entry.name) : FileId{};
    return true;
}

}  // namespace tanmira::platform
