// Processes on Windows: the resident memory (working set) of others.
#include <windows.h>

#include <psapi.h>

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

void KeepFreedMemory() {
    // The process heap has no such setting.
}

}  // namespace tanmira::platform
