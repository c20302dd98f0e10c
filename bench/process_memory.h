#pragma once
// The benchmark process's working set and its peak so far, in bytes.

#include <windows.h>
#include <psapi.h>

inline constexpr double kMiB = 1024.0 * 1024.0;

struct ProcessMemory {
    double workingSet;
    double peak;
};

inline ProcessMemory ProcessMemoryNow()
{
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof(counters);
    ::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof(counters));
    return {double(counters.WorkingSetSize), double(counters.PeakWorkingSetSize)};
}
