// Folder enumeration on POSIX: readdir, with each entry's status (links followed) mapped onto the
// Windows attribute bits.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

#include "platform/platform.h"

namespace tanmira::platform {

namespace {

// Whether the effective user may write a file of the given status, judged from its mode bits.
bool MayWrite(const struct stat& st) {
    const uid_t uid = geteuid();
    if (uid == 0)
        return true;
    if (st.st_uid == uid)
        return (st.st_mode & S_IWUSR) != 0;
    static const std::vector<gid_t> groups = [] {
        std::vector<gid_t> list(static_cast<std::size_t>(getgroups(0, nullptr)) + 1);
        const int n = getgroups(static_cast<int>(list.size()), list.data());
        list.resize(n < 0 ? 0 : static_cast<std::size_t>(n));
        list.push_back(getegid());
        return list;
    }();
    for (gid_t g : groups) {
        if (g == st.st_gid)
            return (st.st_mode & S_IWGRP) != 0;
    }
    return (st.st_mode & S_IWOTH) != 0;
}

AttributeWord AttributesOf(const struct stat& st, const char* name) {
    // A FIFO, socket or device carries the device bit alone, so that no listing mask that leaves
    // that bit out lists it (and nothing opens it).
    if (!S_ISDIR(st.st_mode) && !S_ISREG(st.st_mode))
        return kDevice;
    AttributeWord word = S_ISDIR(st.st_mode) ? kDirectory : kArchive;
    if (!MayWrite(st))
        word |= kReadOnly;
    if (name[0] == '.')
        word |= kHidden;
    return word;
}

FileId IdOf(const struct stat& st) {
    return FileId{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
}

}  // namespace

FolderEnumeration::FolderEnumeration(const std::string& folder) : folder_(folder) {
    DIR* dir = opendir(folder.empty() ? "/" : folder.c_str());
    if (dir == nullptr)
        return;
    struct stat st {};
    if (fstat(dirfd(dir), &st) == 0)
        folderId_ = IdOf(st);
    handle_ = dir;
}

FolderEnumeration::~FolderEnumeration() {
    if (handle_ != nullptr)
        closedir(static_cast<DIR*>(handle_));
}

bool FolderEnumeration::Next(DirEntry& entry) {
    if (handle_ == nullptr)
        return false;
    DIR* dir = static_cast<DIR*>(handle_);
    for (;;) {
        const struct dirent* d = readdir(dir);
        if (d == nullptr)
            return false;
        struct stat st {};
        if (fstatat(dirfd(dir), d->d_name, &st, 0) == 0) {
            entry.name = d->d_name;
            entry.attributes = AttributesOf(st, d->d_name);
            entry.id = IdOf(st);
            return true;
        }
        // The entry cannot be followed: a dangling link or a link loop is reported as a reparse
        // point alone; an entry that vanished meanwhile is passed over.
        if (fstatat(dirfd(dir), d->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0)
            continue;
        entry.name = d->d_name;
        entry.attributes = kReparsePoint;
        entry.id = IdOf(st);
        return true;
    }
}

}  // namespace tanmira::platform
