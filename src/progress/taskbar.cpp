#include "progress/job_progress.h"

namespace lumbrix {

void AttachTaskbar(JobProgress& progress) noexcept
{
    // The object must be initialised before its other methods are called.
    if (SUCCEEDED(::CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_ALL, IID_ITaskbarList3,
                                     progress.taskbar.put_void())) &&
        FAILED(progress.taskbar->HrInit()))
        progress.taskbar.reset();
}

} // namespace lumbrix
