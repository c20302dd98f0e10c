#pragma once
// A second thread for the digests of one chunk. MD5 is serial and the
// slowest engine, so the caller runs it while the helper runs SHA-1 and
// CRC-32 on the same bytes; the chunk is done when both are. Started once
// per pass and ended by the destructor, on every way out of the pass.

#include "common/unique_any.h"
#include "hash/crc32.h"
#include "hash/sha1.h"

#include <windows.h>

#include <atomic>
#include <cstdint>

namespace lumbrix {

class DigestHelper {
public:
    DigestHelper() noexcept = default;
    ~DigestHelper();
    DigestHelper(const DigestHelper&) = delete;
    DigestHelper& operator=(const DigestHelper&) = delete;

    // Starts the thread on the first call; false when it cannot run (the
    // caller then computes everything itself). A failed start is not retried.
    bool Start() noexcept;
    // Hands data to the helper; a null engine is skipped. The data and the
    // engines must stay untouched until Finish returns.
    void Begin(Sha1* sha1, Crc32* crc32, const void* data, std::uint32_t size) noexcept;
    // Waits until the helper is done with the chunk given to Begin.
    void Finish() noexcept;

private:
    static DWORD WINAPI ThreadProc(void* helper);
    void Serve() noexcept;

    UniqueHandle thread_;
    UniqueHandle workEvent_; // auto-reset: a chunk (or the request to stop) is posted
    UniqueHandle doneEvent_; // auto-reset: wakes a caller that sleeps in Finish
    bool startFailed_ = false;

    Sha1* sha1_ = nullptr;
    Crc32* crc32_ = nullptr;
    const void* data_ = nullptr;
    std::uint32_t size_ = 0;
    bool stop_ = false;

    // The helper usually finishes first; the caller then finds done_ set and
    // makes no system call. Only a caller that announced itself in waiting_
    // is woken through doneEvent_.
    std::atomic<bool> done_{true};
    std::atomic<bool> waiting_{false};
};

} // namespace lumbrix
