// Other processes on Linux: their resident memory, from /proc/<pid>/statm.
#include <unistd.h>

#include <fstream>
#include <string>

#include "platform/platform.h"

namespace tanmira::platform {

std::optional<std::uint64_t> ProcessResidentBytes(std::int64_t pid) {
    std::ifstream statm("/proc/" + std::to_string(pid) + "/statm");
    std::uint64_t size = 0;
    std::uint64_t residentPages = 0;
    if (pid <= 0 || !(statm >> size >> residentPages))
        return std::nullopt;
    return residentPages * static_cast<std::uint64_t>(sysconf(_SC_PAGESIZE));
}

}  // namespace tanmira::platform
