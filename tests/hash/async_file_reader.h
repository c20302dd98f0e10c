#pragma once
// Reads one file from start to end in fixed-size chunks on a thread of its
// own, so that the next chunk comes from disk while the caller digests the
// current one. The reader's buffer passes between the two threads through
// three events; failures go to the debugger output only.

#include "common/unique_any.h"

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <string>

namespace lumbrix {

class AsyncFileReader {
public:
    AsyncFileReader() noexcept = default;
    ~AsyncFileReader() { Close(); }
    AsyncFileReader(const AsyncFileReader&) = delete;
    AsyncFileReader& operator=(const AsyncFileReader&) = delete;

    // Opens path (through its extended-length form, so long paths work) and
    // starts reading the first chunk at once. IsOpen tells whether it worked.
    void Open(const std::wstring& path, std::uint32_t chunkSize) noexcept;
    bool IsOpen() const noexcept { return thread_.valid(); }
    // Taken when the file was opened, before the thread could close it; 0 when
    // the query failed.
    std::uint64_t FileSize() const noexcept { return fileSize_; }
    // Waits for the next chunk, copies it to buffer (at least chunkSize bytes)
    // and asks for the one after. 0: no more data, now and on every later call.
    std::uint32_t Read(void* buffer) noexcept;
    // After Read has given 0: whether the data ended by a failed read rather
    // than at the end of the file, so that what was read is not the whole file.
    bool ReadFailed() const noexcept { return readFailed_; }
    // Stops the thread and releases everything; harmless when not open.
    void Close() noexcept;

private:
    static DWORD WINAPI ThreadProc(void* reader);
    void ReadChunks() noexcept;
    void Fail(const wchar_t* functionName) noexcept;

    UniqueHandle thread_;
    UniqueHandle endEvent_;     // set by the thread when the data has ended
    UniqueHandle requestEvent_; // set by the caller to ask for a chunk
    UniqueHandle readyEvent_;   // set by the thread when a chunk is in buffer_
    UniqueFile file_;
    UniqueHeapBlock buffer_;
    std::uint32_t dataSize_ = 0;
    std::uint32_t chunkSize_ = 0;
    bool readFailed_ = false; // written by the thread before it sets endEvent_
    std::atomic<bool> running_{false};
    std::uint64_t fileSize_ = 0;
};

} // namespace lumbrix
