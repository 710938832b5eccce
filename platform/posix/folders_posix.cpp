// Folders and drives on POSIX for the folder chooser: the current directory, changing it, and the
// mounted file systems taken as drives.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string_view>

#include "platform/current_directory.h"
#include "platform/platform.h"

namespace tanmira::platform {

namespace {

// One line of /proc/self/mountinfo, the fields the chooser needs.
struct Mount {
    std::string point;
    std::string type;
    std::string source;
};

// Kernel interfaces that are mounted like file systems but hold no user folders.
constexpr std::string_view kPseudoTypes[] = {
    "proc",    "sysfs",           "cgroup",     "cgroup2",  "devpts",     "mqueue",  "securityfs",
    "debugfs", "tracefs",         "pstore",     "bpf",      "configfs",   "fusectl", "hugetlbfs",
    "autofs",  "binfmt_misc",     "devtmpfs",   "efivarfs", "rpc_pipefs", "nsfs",    "selinuxfs",
    "nfsd",    "fuse.gvfsd-fuse", "fuse.portal"};

// File systems reached over the network.
constexpr std::string_view kRemoteTypes[] = {"nfs",   "nfs4",       "cifs", "smb3",
                                             "smbfs", "fuse.sshfs", "9p",   "afs"};

bool IsPseudo(const std::string& type) {
    return std::find(std::begin(kPseudoTypes), std::end(kPseudoTypes), type) !=
           std::end(kPseudoTypes);
}

// Undoes the octal escapes (\040 for a space, \011, \012, \134) of a mountinfo field.
std::string DecodeField(std::string_view field) {
    std::string out;
    out.reserve(field.size());
    for (std::size_t i = 0; i < field.size(); ++i) {
        const bool octal = field[i] == '\\' && i + 3 < field.size() && field[i + 1] >= '0' &&
                           field[i + 1] <= '3' && field[i + 2] >= '0' && field[i + 2] <= '7' &&
                           field[i + 3] >= '0' && field[i + 3] <= '7';
        if (!octal) {
            out += field[i];
            continue;
        }
        out += static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 +
                                 (field[i + 3] - '0'));
        i += 3;
    }
    return out;
}

// The mounts of this process, in the kernel's order (a later mount on the same point hides an
// earlier one).
std::vector<Mount> ReadMounts() {
    std::vector<Mount> mounts;
    std::ifstream in("/proc/self/mountinfo");
    std::string line;
    while (std::getline(in, line)) {
        // id parent major:minor root point options [optional...] - type source superoptions
        std::istringstream fields(line);
        std::vector<std::string> f;
        for (std::string word; fields >> word;)
            f.push_back(word);
        const auto dash = std::find(f.begin(), f.end(), "-");
        if (f.size() < 5 || dash == f.end() || f.end() - dash < 3)
            continue;
        mounts.push_back(
            Mount{DecodeField(f[4]), DecodeField(*(dash + 1)), DecodeField(*(dash + 2))});
    }
    return mounts;
}

// True when path is folder itself or lies inside it.
bool Contains(const std::string& folder, const std::string& path) {
    if (folder == "/")
        return !path.empty() && path[0] == '/';
    return path.compare(0, folder.size(), folder) == 0 &&
           (path.size() == folder.size() || path[folder.size()] == '/');
}

// The mounts that count as drives, one per mount point, sorted by mount point; "/" always.
std::vector<Mount> DriveMounts() {
    const std::vector<Mount> all = ReadMounts();
    // Mounts below proc or sysfs are kernel interfaces as well, whatever their type.
    std::vector<std::string> kernelTrees;
    for (const Mount& m : all) {
        if (m.type == "proc" || m.type == "sysfs")
            kernelTrees.push_back(m.point);
    }
    std::map<std::string, Mount> byPoint;
    for (const Mount& m : all) {
        const bool underKernel =
            std::any_of(kernelTrees.begin(), kernelTrees.end(),
                        [&](const std::string& t) { return Contains(t, m.point); });
        if (underKernel || m.point.empty() || m.point[0] != '/')
            continue;
        if (IsPseudo(m.type)) {
            byPoint.erase(m.point);  // an interface mounted over a folder hides it
            continue;
        }
        byPoint[m.point] = m;
    }
    std::vector<Mount> drives;
    for (auto& [point, m] : byPoint) {
        if (point == "/" || FolderExists(point))
            drives.push_back(m);
    }
    if (byPoint.find("/") == byPoint.end())
        drives.insert(drives.begin(), Mount{"/", "rootfs", ""});
    return drives;
}

// The mount that is the drive of path (the longest drive mount point containing it).
Mount DriveMountOf(const std::string& path) {
    Mount best{"/", "rootfs", ""};
    for (Mount& m : DriveMounts()) {
        if (Contains(m.point, path) && m.point.size() >= best.point.size())
            best = std::move(m);
    }
    return best;
}

DriveType TypeOf(const Mount& m) {
    if (std::find(std::begin(kRemoteTypes), std::end(kRemoteTypes), m.type) !=
        std::end(kRemoteTypes))
        return DriveType::Remote;
    if (m.type == "iso9660" || m.type == "udf")
        return DriveType::CdRom;
    if (m.type == "tmpfs")
        return DriveType::RamDisk;
    return DriveType::Fixed;
}

}  // namespace

namespace detail {

bool ChangeDirectory(const std::string& folder) {
    return chdir(folder.c_str()) == 0;
}

}  // namespace detail

std::string CurrentDirectory() {
    std::string buffer(256, '\0');
    for (;;) {
        if (getcwd(buffer.data(), buffer.size()) != nullptr) {
            buffer.resize(buffer.find('\0'));
            return buffer;
        }
        if (errno != ERANGE)
            return {};
        buffer.resize(buffer.size() * 2);
    }
}

bool FolderExists(const std::string& path) {
    struct stat st {};
    return !path.empty() && stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool FileExists(const std::string& path) {
    struct stat st {};
    return !path.empty() && stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

std::vector<std::string> Subfolders(const std::string& folder) {
    std::vector<std::string> names;
    FolderEnumeration entries(folder);
    DirEntry entry;
    while (entries.Next(entry)) {
        if ((entry.attributes & kDirectory) == 0 ||
            (entry.attributes & (kHidden | kSystem | kVolumeLabel)) != 0 || entry.name == "." ||
            entry.name == "..")
            continue;
        names.push_back(entry.name);
    }
    return names;
}

std::vector<Drive> Drives() {
    std::vector<Drive> drives;
    for (const Mount& m : DriveMounts())
        drives.push_back(Drive{m.point, TypeOf(m)});
    return drives;
}

std::optional<VolumeInfo> VolumeInformation(const std::string& root) {
    if (!FolderExists(root))
        return std::nullopt;
    return VolumeInfo{DriveMountOf(root).type, true, true};
}

std::optional<std::string> RemoteName(const std::string& root) {
    const Mount m = DriveMountOf(root);
    if (m.point != root || TypeOf(m) != DriveType::Remote || m.source.empty())
        return std::nullopt;
    return m.source;
}

std::string DriveOf(const std::string& path) {
    return DriveMountOf(path).point;
}

}  // namespace tanmira::platform
