#include "async_file_reader.h"

#include "common/trace_system_error.h"
#include "hash/hashed_file.h"

#include <cstring>
#include <initializer_list>

namespace lumbrix {

void AsyncFileReader::Open(const std::wstring& path, std::uint32_t chunkSize) noexcept
{
    Close();
    chunkSize_ = chunkSize;

    buffer_.reset(::HeapAlloc(::GetProcessHeap(), 0, chunkSize ? chunkSize : 1));
    if (!buffer_) {
        // HeapAlloc without HEAP_GENERATE_EXCEPTIONS leaves no last error.
        TraceSystemError(ERROR_NOT_ENOUGH_MEMORY, L"HeapAlloc");
        chunkSize_ = 0;
        return;
    }

    for (UniqueHandle* event : {&endEvent_, &requestEvent_, &readyEvent_}) {
        event->reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
        if (!*event) return Fail(L"CreateEvent");
    }

    file_ = OpenHashedFile(path, fileSize_);
    if (!file_) {
        Close();
        return;
    }

    running_.store(true);
    thread_.reset(::CreateThread(nullptr, 0, ThreadProc, this, 0, nullptr));
    if (!thread_) {
        running_.store(false);
        return Fail(L"CreateThread");
    }
    ::SetEvent(requestEvent_.get());
}

void AsyncFileReader::Fail(const wchar_t* functionName) noexcept
{
    TraceSystemError(::GetLastError(), functionName);
    Close();
}

DWORD WINAPI AsyncFileReader::ThreadProc(void* reader)
{
    static_cast<AsyncFileReader*>(reader)->ReadChunks();
    return 0;
}

void AsyncFileReader::ReadChunks() noexcept
{
    const HANDLE wake[] = {requestEvent_.get(), endEvent_.get()};
    for (;;) {
        const DWORD woken = ::WaitForMultipleObjects(2, wake, FALSE, INFINITE);
        // The request is taken before the flag is read: a Close that comes
        // in between then leaves its wake-up set instead of losing it.
        ::ResetEvent(requestEvent_.get());
        if (!running_.load()) return; // Close closes the file
        if (woken != WAIT_OBJECT_0) break;
        DWORD got = 0;
        if (!::ReadFile(file_.get(), buffer_.get(), chunkSize_, &got, nullptr)) {
            readFailed_ = true;
            break;
        }
        if (got == 0) break;
        dataSize_ = got;
        ::SetEvent(readyEvent_.get());
    }
    // A read error ends the data just as the end of the file does; the caller
    // learns of it through ReadFailed.
    dataSize_ = 0;
    file_.reset();
    ::SetEvent(endEvent_.get());
}

std::uint32_t AsyncFileReader::Read(void* buffer) noexcept
{
    if (!thread_) return 0;
    const HANDLE wake[] = {readyEvent_.get(), endEvent_.get()};
    if (::WaitForMultipleObjects(2, wake, FALSE, INFINITE) == WAIT_FAILED) return 0;
    ::ResetEvent(readyEvent_.get());
    const std::uint32_t size = dataSize_;
    if (size != 0) std::memcpy(buffer, buffer_.get(), size);
    ::SetEvent(requestEvent_.get());
    return size;
}

void AsyncFileReader::Close() noexcept
{
    if (thread_) {
        running_.store(false);
        // The thread may be waiting for the next request: wake it so that it
        // sees the flag and ends.
        ::SetEvent(requestEvent_.get());
        ::WaitForSingleObject(thread_.get(), INFINITE);
        thread_.reset();
    }
    requestEvent_.reset();
    readyEvent_.reset();
    file_.reset();
    endEvent_.reset();
    buffer_.reset();
    dataSize_ = 0;
    chunkSize_ = 0;
    fileSize_ = 0;
    readFailed_ = false;
    running_.store(false);
}

} // namespace lumbrix
