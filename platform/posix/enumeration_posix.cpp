// Folder listing on POSIX: getdents64, each entry mapped onto the Windows attribute bits (from its
// directory entry type where that settles the caller's mask, else from its status, links
// followed but inside kernel interfaces), the folder closed before the entries are sorted into
// name order.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <iterator>
#include <optional>
#include <string_view>

#include "platform/byte_rules.h"
#include "platform/platform.h"
#include "platform/posix/mountinfo.h"

namespace tanmira::platform {

namespace {

// Who the process is, for the read-only bit; asked once per listing, and only when needed.
class Credentials {
  public:
    // Whether this user may write a file of the given status, judged from its mode bits.
    bool MayWrite(const struct stat& st) {
        if (!uid_)
            uid_ = geteuid();
        if (*uid_ == 0)
            return true;
        if (st.st_uid == *uid_)
            return (st.st_mode & S_IWUSR) != 0;
        for (gid_t g : Groups()) {
            if (g == st.st_gid)
                return (st.st_mode & S_IWGRP) != 0;
        }
        return (st.st_mode & S_IWOTH) != 0;
    }

  private:
    const std::vector<gid_t>& Groups() {
        if (groups_)
            return *groups_;
        std::vector<gid_t> list(static_cast<std::size_t>(getgroups(0, nullptr)) + 1);
        const int n = getgroups(static_cast<int>(list.size()), list.data());
        list.resize(n < 0 ? 0 : static_cast<std::size_t>(n));
        list.push_back(getegid());
        return groups_.emplace(std::move(list));
    }

    std::optional<uid_t> uid_;
    std::optional<std::vector<gid_t>> groups_;
};

AttributeWord HiddenBit(const char* name) {
    return name[0] == '.' ? kHidden : 0;
}

AttributeWord AttributesOf(const struct stat& st, const char* name, Credentials& credentials) {
    // A FIFO, socket or device carries the device bit alone, so that no listing mask that leaves
    // that bit out lists it (and nothing opens it).
    if (!S_ISDIR(st.st_mode) && !S_ISREG(st.st_mode))
        return kDevice;
    AttributeWord word = (S_ISDIR(st.st_mode) ? kDirectory : kArchive) | HiddenBit(name);
    if (!credentials.MayWrite(st))
        word |= kReadOnly;
    return word;
}

// Files of kernel interfaces whose reading takes away what it returns: the kernel's log and the
// trace buffers.
constexpr std::string_view kConsumingNames[] = {"kmsg", "trace_pipe", "trace_pipe_raw"};

// The word of an entry of a kernel interface that is a link or a consuming file; nothing for
// any other entry.
std::optional<AttributeWord> KernelEntryWord(int dirFd, const dirent64& d) {
    const std::string_view name = d.d_name;
    if (std::find(std::begin(kConsumingNames), std::end(kConsumingNames), name) !=
        std::end(kConsumingNames))
        return kDevice;
    struct stat st {};
    if (d.d_type == DT_LNK ||
        (d.d_type == DT_UNKNOWN && fstatat(dirFd, d.d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 &&
         S_ISLNK(st.st_mode)))
        return kReparsePoint;
    return std::nullopt;
}

// The word of one entry; nothing when the entry vanished.
std::optional<AttributeWord> EntryWord(int dirFd, const dirent64& d, AttributeWord listMask,
                                       bool kernel, Credentials& credentials) {
    if (kernel) {
        if (const std::optional<AttributeWord> word = KernelEntryWord(dirFd, d))
            return word;
    }
    switch (d.d_type) {
        case DT_REG:
            if ((listMask & kArchive) != 0)
                return kArchive | HiddenBit(d.d_name);
            break;
        case DT_DIR:
            if ((listMask & kDirectory) != 0)
                return kDirectory | HiddenBit(d.d_name);
            break;
        case DT_FIFO:
        case DT_SOCK:
        case DT_CHR:
        case DT_BLK:
            return kDevice;
        default:
            break;
    }
    struct stat st {};
    if (fstatat(dirFd, d.d_name, &st, 0) == 0)
        return AttributesOf(st, d.d_name, credentials);
    if (errno == ENOENT || errno == ELOOP) {
        // A link that leads nowhere is a reparse point alone; anything else is gone.
        if (d.d_type == DT_LNK)
            return kReparsePoint;
        if (d.d_type == DT_UNKNOWN && fstatat(dirFd, d.d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISLNK(st.st_mode))
            return kReparsePoint;
        return std::nullopt;
    }
    // The entry is there but cannot be examined (no search permission on the way to a link's
    // target, say): list it from its type, a link or unknown as a file, so that the attempt to
    // read it is made and reported rather than the entry dropped.
    return (d.d_type == DT_DIR ? kDirectory : kArchive) | HiddenBit(d.d_name);
}

FileId IdOf(const struct stat& st) {
    return FileId{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
}

// A byte upper-cased, as an unsigned value for the name order.
unsigned char Upper(char c) {
    return static_cast<unsigned char>(UpperAscii(c));
}

// Name order: bytes with a-z taken as A-Z, ties broken by the raw bytes.
bool NameOrderLess(const DirEntry& a, const DirEntry& b) {
    const std::string& x = a.name;
    const std::string& y = b.name;
    const std::size_t common = std::min(x.size(), y.size());
    for (std::size_t i = 0; i < common; ++i) {
        if (x[i] == y[i])
            continue;  // the usual case, and equal bytes are equal upper-cased
        const unsigned char p = Upper(x[i]);
        const unsigned char q = Upper(y[i]);
        if (p != q)
            return p < q;
    }
    if (x.size() != y.size())
        return x.size() < y.size();
    return x < y;
}

// Sorts entries into name order. The sort moves (key, index) pairs, the key packing the first
// eight bytes of a name upper-cased, so that most comparisons are one integer comparison (a short
// name is padded with 0 bytes, which no name holds, and sorts first as it should).
void SortByName(std::vector<DirEntry>& entries) {
    struct Keyed {
        std::uint64_t key;
        std::size_t index;
    };
    std::vector<Keyed> keyed;
    keyed.reserve(entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const std::string& name = entries[i].name;
        std::uint64_t key = 0;
        for (std::size_t j = 0; j < 8; ++j)
            key = key << 8 | (j < name.size() ? Upper(name[j]) : 0u);
        keyed.push_back(Keyed{key, i});
    }
    std::sort(keyed.begin(), keyed.end(), [&](const Keyed& a, const Keyed& b) {
        if (a.key != b.key)
            return a.key < b.key;
        return NameOrderLess(entries[a.index], entries[b.index]);
    });
    std::vector<DirEntry> sorted;
    sorted.reserve(entries.size());
    for (const Keyed& k : keyed)
        sorted.push_back(std::move(entries[k.index]));
    entries.swap(sorted);
}

}  // namespace

FolderListing ListFolder(const std::string& folder, AttributeWord listMask,
                         const std::vector<std::uint64_t>& kernelDevices) {
    FolderListing listing;
    const int fd = open(folder.empty() ? "/" : folder.c_str(),
                        O_RDONLY | O_DIRECTORY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        listing.result = errno == ENOENT || errno == ENOTDIR ? ListingResult::Missing
                                                             : ListingResult::Unreadable;
        return listing;
    }
    struct stat st {};
    if (fstat(fd, &st) == 0)
        listing.folderId = IdOf(st);
    const bool kernel = std::find(kernelDevices.begin(), kernelDevices.end(),
                                  listing.folderId.device) != kernelDevices.end();
    Credentials credentials;
    // Read straight into one buffer (the C library's directory stream would ask for the folder's
    // status once more), large enough for most folders in one call.
    alignas(dirent64) static thread_local char buffer[64 * 1024];
    ssize_t n = 0;
    while ((n = getdents64(fd, buffer, sizeof buffer)) > 0) {
        for (ssize_t at = 0; at < n;) {
            const auto* d = reinterpret_cast<const struct dirent64*>(buffer + at);
            at += d->d_reclen;
            const std::string_view name = d->d_name;
            if (name == "." || name == "..")
                continue;
            const std::optional<AttributeWord> word =
                EntryWord(fd, *d, listMask, kernel, credentials);
            if (word)
                listing.entries.push_back(DirEntry{std::string(name), *word});
        }
    }
    listing.result = n == 0 ? ListingResult::Listed : ListingResult::Unreadable;
    close(fd);
    SortByName(listing.entries);
    return listing;
}

std::vector<std::uint64_t> PseudoFileSystemDevices() {
    const std::vector<Mount> mounts = ReadMounts();
    const std::vector<bool> kernel = KernelInterfaces(mounts);
    std::vector<std::uint64_t> devices;
    for (std::size_t i = 0; i < mounts.size(); ++i) {
        if (kernel[i])
            devices.push_back(mounts[i].device);
    }
    return devices;
}

}  // namespace tanmira::platform
