#include "common/processor_count.h"

#include <windows.h>

namespace lumbrix {

unsigned UsableProcessorCount() noexcept
{
    unsigned count = 0;
    DWORD_PTR process = 0;
    DWORD_PTR system = 0;
    if (::GetProcessAffinityMask(::GetCurrentProcess(), &process, &system))
        for (; process != 0; process &= process - 1) ++count;
    if (count == 0) {
        SYSTEM_INFO info;
        ::GetSystemInfo(&info);
        count = info.dwNumberOfProcessors;
    }
    return count != 0 ? count : 1;
}

} // namespace lumbrix
