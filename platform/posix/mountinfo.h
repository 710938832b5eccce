// The mount table of Linux as text (/proc/self/mountinfo): a pure parser, shared by the drive
// list and the walk's rule for kernel pseudo file systems.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tanmira::platform {

// One line of the mount table, the fields this program needs.
struct Mount {
    std::string point;         // mount point, escapes undone
    std::string type;          // file-system type, such as "ext4" or "proc"
    std::string source;        // mount source, such as "/dev/sda1" or "server:/export"
    std::uint64_t device = 0;  // the st_dev of the files inside (from major:minor)
};

// Parses mountinfo text, one mount per line in the kernel's order; octal escapes such as \040
// (space) are undone in every field. Malformed lines are passed over.
std::vector<Mount> ParseMountInfo(std::string_view text);

// For each mount, whether it is a kernel interface rather than a file system holding user files:
// a pseudo file-system type (proc, sysfs, cgroup, devpts, ...) or any mount inside proc or sysfs.
std::vector<bool> KernelInterfaces(const std::vector<Mount>& mounts);

// True when path is folder itself or lies inside it (both absolute, without trailing "/").
bool PathWithin(const std::string& folder, const std::string& path);

// The mounts of this process: ParseMountInfo of /proc/self/mountinfo (none when unreadable).
std::vector<Mount> ReadMounts();

}  // namespace tanmira::platform
