// Parsing of the Linux mount table.
#include "platform/posix/mountinfo.h"

#include <sys/sysmacros.h>

#include <algorithm>
#include <charconv>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>

namespace tanmira::platform {

namespace {

// Kernel interfaces that are mounted like file systems but hold no user folders.
constexpr std::string_view kPseudoTypes[] = {
    "proc",    "sysfs",           "cgroup",     "cgroup2",  "devpts",     "mqueue",  "securityfs",
    "debugfs", "tracefs",         "pstore",     "bpf",      "configfs",   "fusectl", "hugetlbfs",
    "autofs",  "binfmt_misc",     "devtmpfs",   "efivarfs", "rpc_pipefs", "nsfs",    "selinuxfs",
    "nfsd",    "fuse.gvfsd-fuse", "fuse.portal"};

bool IsPseudo(std::string_view type) {
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

std::vector<std::string_view> SplitOnSpaces(std::string_view line) {
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    while (start < line.size()) {
        const std::size_t space = line.find(' ', start);
        const std::size_t end = space == std::string_view::npos ? line.size() : space;
        if (end > start)
            fields.push_back(line.substr(start, end - start));
        start = end + 1;
    }
    return fields;
}

// "major:minor" as a device number; nothing when malformed.
std::optional<std::uint64_t> DeviceOf(std::string_view field) {
    const std::size_t colon = field.find(':');
    unsigned major = 0;
    unsigned minor = 0;
    const char* end = field.data() + field.size();
    if (colon == std::string_view::npos ||
        std::from_chars(field.data(), field.data() + colon, major).ptr != field.data() + colon ||
        std::from_chars(field.data() + colon + 1, end, minor).ptr != end)
        return std::nullopt;
    return static_cast<std::uint64_t>(makedev(major, minor));
}

}  // namespace

std::vector<Mount> ParseMountInfo(std::string_view text) {
    std::vector<Mount> mounts;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t newline = text.find('\n', start);
        const std::size_t end = newline == std::string_view::npos ? text.size() : newline;
        const std::string_view line = text.substr(start, end - start);
        start = end + 1;
        // id parent major:minor root point options [optional...] - type source superoptions
        const std::vector<std::string_view> f = SplitOnSpaces(line);
        const auto dash = std::find(f.begin(), f.end(), "-");
        if (dash == f.end() || dash - f.begin() < 6 || f.end() - dash < 3)
            continue;
        const std::optional<std::uint64_t> device = DeviceOf(f[2]);
        if (!device)
            continue;
        mounts.push_back(
            Mount{DecodeField(f[4]), DecodeField(*(dash + 1)), DecodeField(*(dash + 2)), *device});
    }
    return mounts;
}

bool PathWithin(const std::string& folder, const std::string& path) {
    if (folder == "/")
        return !path.empty() && path[0] == '/';
    return path.compare(0, folder.size(), folder) == 0 &&
           (path.size() == folder.size() || path[folder.size()] == '/');
}

std::vector<bool> KernelInterfaces(const std::vector<Mount>& mounts) {
    std::vector<std::string> kernelTrees;
    for (const Mount& m : mounts) {
        if (m.type == "proc" || m.type == "sysfs")
            kernelTrees.push_back(m.point);
    }
    std::vector<bool> flags;
    flags.reserve(mounts.size());
    for (const Mount& m : mounts) {
        flags.push_back(IsPseudo(m.type) ||
                        std::any_of(kernelTrees.begin(), kernelTrees.end(),
                                    [&](const std::string& t) { return PathWithin(t, m.point); }));
    }
    return flags;
}

std::vector<Mount> ReadMounts() {
    std::ifstream in("/proc/self/mountinfo");
    std::ostringstream text;
    text << in.rdbuf();
    return ParseMountInfo(text.str());
}

}  // namespace tanmira::platform
