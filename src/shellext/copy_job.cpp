#include "shellext/copy_job.h"

#include "progress/taskbar.h"

#include <new>

namespace lumbrix {

CopyJobPointer CreateCopyJob() noexcept
{
    CopyJobPointer job;
    try {
        job.reset(new (std::nothrow) CopyJob);
    } catch (...) { // a container that allocates in its constructor
        return nullptr;
    }
    if (job) AttachTaskbar(job->progress);
    return job;
}

} // namespace lumbrix
