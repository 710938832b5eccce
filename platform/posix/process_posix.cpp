// Processes on Linux: the resident memory of others, from /proc/<pid>/statm, the processors this
// one may use, and the allocator's handling of its freed memory.
#include <sched.h>
#include <unistd.h>
#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include <algorithm>
#include <fstream>
#include <string>
#include <thread>

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

unsigned UsableProcessors() {
    cpu_set_t set;
    if (sched_getaffinity(0, sizeof set, &set) == 0 && CPU_COUNT(&set) > 0)
        return static_cast<unsigned>(CPU_COUNT(&set));
    return std::max(std::thread::hardware_concurrency(), 1u);
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
