#include "progress/taskbar.h"

#include "progress/progress_window.h"

namespace lumbrix {

void AttachTaskbar(ProgressWindow& progress) noexcept
{
    // The object must be initialised before its other methods are called.
    if (SUCCEEDED(::CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_ALL, IID_ITaskbarList3,
                                     progress.taskbar.put_void())) &&
        FAILED(progress.taskbar->HrInit()))
        progress.taskbar.reset();
}

} // namespace lumbrix
