#pragma once
// The contract of AsyncFileReader (Open, IsOpen, FileSize, Read, Close, the
// same diagnostics), but one reader thread serves file after file until the
// object is destroyed. A pass over thousands of small files then pays for one
// thread instead of a thread and three events per file.
//
// The two threads strictly alternate: the caller posts one command, the
// thread answers it, and only then may the caller post the next or touch the
// file, so neither ever waits for a signal that the other has already used.

#include "common/unique_any.h"

#include <windows.h>

#include <cstdint>
#include <string>

namespace lumbrix {

class PersistentFileReader {
public:
    PersistentFileReader() noexcept = default;
    ~PersistentFileReader();
    PersistentFileReader(const PersistentFileReader&) = delete;
    PersistentFileReader& operator=(const PersistentFileReader&) = delete;

    void Open(const std::wstring& path, std::uint32_t chunkSize) noexcept;
    bool IsOpen() const noexcept { return open_; }
    std::uint64_t FileSize() const noexcept { return fileSize_; }
    std::uint32_t Read(void* buffer) noexcept;
    // Closes the file; the thread stays and waits for the next one.
    void Close() noexcept;

private:
    enum class Command { ReadChunk, Quit };

    bool ReserveBuffer(std::uint32_t chunkSize) noexcept;
    bool StartThread() noexcept;
    void Post(Command command) noexcept;
    // Waits for the answer to the posted command; false when the thread is gone.
    bool AwaitAnswer() noexcept;
    static DWORD WINAPI ThreadProc(void* reader);
    void Serve() noexcept;

    UniqueHandle thread_;
    UniqueHandle commandEvent_; // auto-reset: the caller posted command_
    UniqueHandle answerEvent_;  // auto-reset: the thread answered it
    UniqueFile file_;
    UniqueHeapBlock buffer_;
    std::uint32_t bufferSize_ = 0;
    std::uint32_t chunkSize_ = 0;
    std::uint32_t dataSize_ = 0;
    Command command_ = Command::ReadChunk;
    std::uint64_t fileSize_ = 0;
    bool open_ = false;
    bool ended_ = false;
    bool awaiting_ = false; // a command is out and its answer not yet taken
};

} // namespace lumbrix
