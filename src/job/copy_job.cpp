#include "job/copy_job.h"

#include <new>

namespace lumbrix {

CopyJob* CreateCopyJob() noexcept
{
    CopyJob* job = nullptr;
    try {
        job = new (std::nothrow) CopyJob;
    } catch (...) { // a container that allocates in its constructor
        job = nullptr;
    }
    if (!job) return nullptr;
    // Without a taskbar object the copy simply shows no taskbar progress. The
    // object must be initialised before its other methods are called.
    if (SUCCEEDED(::CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_ALL, IID_ITaskbarList3,
                                     job->taskbar.put_void())) &&
        FAILED(job->taskbar->HrInit()))
        job->taskbar.reset();
    return job;
}

void DestroyCopyJob(CopyJob& job) noexcept
{
    job.taskbar.reset();
    job.progressFont.reset();
    job.clipboardText.reset();
    job.resultLines.clear();
    job.selection.Clear();
}

void FreeCopyJob(CopyJob* job) noexcept
{
    if (!job) return;
    DestroyCopyJob(*job);
    delete job;
}

} // namespace lumbrix
