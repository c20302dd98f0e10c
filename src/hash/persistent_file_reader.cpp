#include "hash/persistent_file_reader.h"

#include "hash/trace_system_error.h"
#include "job/long_path.h"

#include <cstring>

namespace lumbrix {

PersistentFileReader::~PersistentFileReader()
{
    Close();
    if (thread_) {
        Post(Command::Quit);
        ::WaitForSingleObject(thread_.get(), INFINITE);
    }
}

void PersistentFileReader::Open(const std::wstring& path, std::uint32_t chunkSize) noexcept
{
    Close();
    if (!ReserveBuffer(chunkSize) || !StartThread()) return;

    std::wstring systemPath;
    try {
        systemPath = ToExtendedLengthPath(path);
    } catch (...) {
        TraceSystemError(ERROR_NOT_ENOUGH_MEMORY, L"HeapAlloc");
        return;
    }
    file_.reset(::CreateFileW(systemPath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file_) {
        TraceSystemError(::GetLastError(), L"CreateFile");
        ::OutputDebugStringW(path.c_str());
        ::OutputDebugStringW(L"\r\n");
        return;
    }
    LARGE_INTEGER size{};
    if (::GetFileSizeEx(file_.get(), &size)) {
        fileSize_ = static_cast<std::uint64_t>(size.QuadPart);
    } else {
        TraceSystemError(::GetLastError(), L"GetFileSize");
    }
    chunkSize_ = chunkSize;
    open_ = true;
    Post(Command::ReadChunk); // the first chunk is read before the caller asks
}

bool PersistentFileReader::ReserveBuffer(std::uint32_t chunkSize) noexcept
{
    if (buffer_ && bufferSize_ >= chunkSize) return true;
    buffer_.reset(::HeapAlloc(::GetProcessHeap(), 0, chunkSize ? chunkSize : 1));
    bufferSize_ = buffer_ ? chunkSize : 0;
    if (!buffer_) TraceSystemError(ERROR_NOT_ENOUGH_MEMORY, L"HeapAlloc");
    return buffer_.valid();
}

bool PersistentFileReader::StartThread() noexcept
{
    if (thread_) return true;
    for (UniqueHandle* event : {&commandEvent_, &answerEvent_}) {
        event->reset(::CreateEventW(nullptr, FALSE, FALSE, nullptr));
        if (!*event) {
            TraceSystemError(::GetLastError(), L"CreateEvent");
            return false;
        }
    }
    thread_.reset(::CreateThread(nullptr, 0, ThreadProc, this, 0, nullptr));
    if (!thread_) TraceSystemError(::GetLastError(), L"CreateThread");
    return thread_.valid();
}

void PersistentFileReader::Post(Command command) noexcept
{
    command_ = command;
    awaiting_ = true;
    ::SetEvent(commandEvent_.get());
}

bool PersistentFileReader::AwaitAnswer() noexcept
{
    awaiting_ = false;
    const HANDLE wake[] = {answerEvent_.get(), thread_.get()};
    return ::WaitForMultipleObjects(2, wake, FALSE, INFINITE) == WAIT_OBJECT_0;
}

DWORD WINAPI PersistentFileReader::ThreadProc(void* reader)
{
    static_cast<PersistentFileReader*>(reader)->Serve();
    return 0;
}

void PersistentFileReader::Serve() noexcept
{
    while (::WaitForSingleObject(commandEvent_.get(), INFINITE) == WAIT_OBJECT_0) {
        if (command_ == Command::Quit) return;
        DWORD got = 0;
        if (!::ReadFile(file_.get(), buffer_.get(), chunkSize_, &got, nullptr)) got = 0;
        dataSize_ = got;
        if (got == 0) file_.reset(); // the data has ended (or a read failed)
        ::SetEvent(answerEvent_.get());
    }
}

std::uint32_t PersistentFileReader::Read(void* buffer) noexcept
{
    if (!open_ || ended_) return 0;
    if (!AwaitAnswer() || dataSize_ == 0) {
        ended_ = true;
        return 0;
    }
    const std::uint32_t size = dataSize_;
    std::memcpy(buffer, buffer_.get(), size);
    Post(Command::ReadChunk);
    return size;
}

void PersistentFileReader::Close() noexcept
{
    // The thread may be reading: it must be done before the file goes.
    if (awaiting_) AwaitAnswer();
    file_.reset();
    open_ = false;
    ended_ = false;
    dataSize_ = 0;
    chunkSize_ = 0;
    fileSize_ = 0;
}

} // namespace lumbrix
