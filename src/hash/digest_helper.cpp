#include "hash/digest_helper.h"

namespace lumbrix {

DigestHelper::~DigestHelper()
{
    if (!thread_) return;
    Finish();
    stop_ = true;
    ::SetEvent(workEvent_.get());
    ::WaitForSingleObject(thread_.get(), INFINITE);
}

bool DigestHelper::Start() noexcept
{
    if (thread_) return true;
    if (startFailed_) return false;
    workEvent_.reset(::CreateEventW(nullptr, FALSE, FALSE, nullptr));
    doneEvent_.reset(::CreateEventW(nullptr, FALSE, FALSE, nullptr));
    if (workEvent_ && doneEvent_) thread_.reset(::CreateThread(nullptr, 0, ThreadProc, this, 0, nullptr));
    startFailed_ = !thread_;
    return thread_.valid();
}

void DigestHelper::Begin(Sha1* sha1, Crc32* crc32, const void* data, std::uint32_t size) noexcept
{
    sha1_ = sha1;
    crc32_ = crc32;
    data_ = data;
    size_ = size;
    done_.store(false);
    ::SetEvent(workEvent_.get());
}

void DigestHelper::Finish() noexcept
{
    const HANDLE wake[] = {doneEvent_.get(), thread_.get()};
    while (!done_.load()) {
        waiting_.store(true);
        if (done_.load()) break;
        // A wake-up left over from an earlier chunk only costs another turn.
        if (::WaitForMultipleObjects(2, wake, FALSE, INFINITE) != WAIT_OBJECT_0) break;
    }
}

DWORD WINAPI DigestHelper::ThreadProc(void* helper)
{
    static_cast<DigestHelper*>(helper)->Serve();
    return 0;
}

void DigestHelper::Serve() noexcept
{
    while (::WaitForSingleObject(workEvent_.get(), INFINITE) == WAIT_OBJECT_0 && !stop_) {
        if (sha1_) sha1_->Update(data_, size_);
        if (crc32_) crc32_->Update(data_, size_);
        done_.store(true);
        if (waiting_.exchange(false)) ::SetEvent(doneEvent_.get());
    }
    done_.store(true);
}

} // namespace lumbrix
