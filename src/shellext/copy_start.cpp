#include "shellext/copy_start.h"

#include "shellext/copy_worker.h"
#include "shellext/module_thread.h"

#include <type_traits>
#include <utility>

namespace lumbrix {

// The request moves in and, on failure, back out without allocating.
static_assert(std::is_nothrow_move_assignable_v<CopyRequest>);

HRESULT StartCopy(CopyRequest& request, HWND owner) noexcept
{
    CopyJobPointer job = CreateCopyJob();
    if (!job) return E_OUTOFMEMORY;
    job->request = std::move(request);
    job->request.detachedThreads = &StartThreadHoldingModule;
    job->progress.owner = owner;
    if (StartCopyJobThread(job)) return S_OK;
    request = std::move(job->request);
    return E_FAIL;
}

} // namespace lumbrix
