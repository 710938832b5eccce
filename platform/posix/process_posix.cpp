// Processes on Linux: the resident memory of others, from /proc/<pid>/statm, and the
// allocator's handling of this one's freed memory.
#include <unistd.h>
#if defined(__GLIBC__)
#include <malloc.h>
#endif

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

void KeepFreedMemory() {
#if defined(__GLIBC__)
    // Blocks above the mapping threshold are mapped afresh and unmapped when freed, and free
    // memory above the trim threshold goes back at once: both would fault in new pages per file.
    constexpr int kKept = 32 * 1024 * 1024;
    mallopt(M_MMAP_THRESHOLD, kKept);
    mallopt(M_TRIM_THRESHOLD, 2 * kKept);
#endif
}

}  // namespace tanmira::platform
