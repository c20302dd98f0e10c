#include "shellext/copy_job.h"

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
    return job;
}

} // namespace lumbrix
