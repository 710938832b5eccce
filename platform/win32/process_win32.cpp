// Processes on Windows: the resident memory (working set) of others and the processors this one
// may use.
#include <windows.h>

#include <psapi.h>

#include <algorithm>
#include <bit>

#include "platform/platform.h"

namespace tanmira::platform {

std::optional<std::uint64_t> ProcessResidentBytes(std::int64_t pid) {
    const HANDLE process =
        OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(pid));
    if (process == nullptr)
        return std::nullopt;
    PROCESS_MEMORY_COUNTERS counters{};
    const bool read = GetProcessMemoryInfo(process, &counters, sizeof counters);
    CloseHandle(process);
    if (!read)
        return std::nullopt;
    return static_cast<std::uint64_t>(counters.WorkingSetSize);
}

unsigned UsableProcessors() {
    DWORD_PTR process = 0;
    DWORD_PTR system = 0;
    if (!GetProcessAffinityMask(GetCurrentProcess(), &process, &system) || process == 0)
        return 1;
    // Unrestricted, the process may use every group of processors, beyond the mask's one group.
    if (process == system)
        return std::max<unsigned>(GetActiveProcessorCount(ALL_PROCESSOR_GROUPS), 1);
    return static_cast<unsigned>(std::popcount(static_cast<std::uint64_t>(process)));
}

void KeepFreedMemory() {
    // The process heap has no such setting.
}

}  // namespace tanmira::platform
