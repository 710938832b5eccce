// Folders and drives on POSIX for the folder chooser: the current directory, changing it, and the
// mounted file systems taken as drives.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <iterator>
#include <map>
#include <string_view>

#include "platform/current_directory.h"
#include "platform/platform.h"
#include "platform/posix/mountinfo.h"

namespace tanmira::platform {

namespace {

// File systems reached over the network.
constexpr std::string_view kRemoteTypes[] = {"nfs",   "nfs4",       "cifs", "smb3",
                                             "smbfs", "fuse.sshfs", "9p",   "afs"};

// The mounts that count as drives, one per mount point, sorted by mount point; "/" always.
std::vector<Mount> DriveMounts() {
    const std::vector<Mount> all = ReadMounts();
    const std::vector<bool> kernel = KernelInterfaces(all);
    std::map<std::string, Mount> byPoint;
    for (std::size_t i = 0; i < all.size(); ++i) {
        const Mount& m = all[i];
        if (m.point.empty() || m.point[0] != '/')
            continue;
        if (kernel[i]) {
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
        drives.insert(drives.begin(), Mount{"/", "rootfs", "", 0});
    return drives;
}

// The mount that is the drive of path (the longest drive mount point containing it).
Mount DriveMountOf(const std::string& path) {
    Mount best{"/", "rootfs", "", 0};
    for (Mount& m : DriveMounts()) {
        if (PathWithin(m.point, path) && m.point.size() >= best.point.size())
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
