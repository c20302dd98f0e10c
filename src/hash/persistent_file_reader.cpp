#include "hash/persistent_file_reader.h"

#include "common/trace_system_error.h"
#include "hash/hashed_file.h"

#include <cstring>
#include <initializer_list>
#include <utility>

namespace lumbrix {

PersistentFileReader::~PersistentFileReader()
{
    Close();
    if (thread_) {
        quit_.store(true);
        WakeReader();
        ::WaitForSingleObject(thread_.get(), INFINITE);
    }
}

void PersistentFileReader::Open(const std::wstring& path, std::uint32_t chunkSize, ChunkObserver observer,
                                void* context) noexcept
{
    Close();
    if (!ReserveRing(chunkSize) || !StartThread()) return;
    std::uint64_t fileSize = 0;
    UniqueFile file = OpenHashedFile(path, fileSize);
    if (file) Begin(std::move(file), fileSize, chunkSize, observer, context);
}

bool PersistentFileReader::Continue(UniqueFile& file, std::uint64_t fileSize, std::uint32_t chunkSize,
                                    ChunkObserver observer, void* context) noexcept
{
    Close();
    if (!file || !ReserveRing(chunkSize) || !StartThread()) return false;
    Begin(std::move(file), fileSize, chunkSize, observer, context);
    return true;
}

void PersistentFileReader::Begin(UniqueFile file, std::uint64_t fileSize, std::uint32_t chunkSize,
                                 ChunkObserver observer, void* context) noexcept
{
    file_ = std::move(file);
    fileSize_ = fileSize;
    chunkSize_ = chunkSize;
    observer_ = observer;
    observerContext_ = context;
    filled_.store(0);
    taken_.store(0);
    stop_.store(false);
    readFailed_.store(false);
    open_ = true;
    ended_ = false;
    active_.store(true); // from here the thread owns the file
    WakeReader();
}

bool PersistentFileReader::ReserveRing(std::uint32_t chunkSize) noexcept
{
    if (ring_ && ringChunkSize_ >= chunkSize) return true;
    ring_.reset(::HeapAlloc(::GetProcessHeap(), 0, std::size_t(chunkSize ? chunkSize : 1) * kSlots));
    ringChunkSize_ = ring_ ? chunkSize : 0;
    if (!ring_) TraceSystemError(ERROR_NOT_ENOUGH_MEMORY, L"HeapAlloc");
    return ring_.valid();
}

bool PersistentFileReader::StartThread() noexcept
{
    if (thread_) return true;
    for (UniqueHandle* event : {&readerWake_, &callerWake_, &idleEvent_}) {
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

bool PersistentFileReader::AwaitSignal(HANDLE event) noexcept
{
    const HANDLE wake[] = {event, thread_.get()};
    return ::WaitForMultipleObjects(2, wake, FALSE, INFINITE) == WAIT_OBJECT_0;
}

DWORD WINAPI PersistentFileReader::ThreadProc(void* reader)
{
    static_cast<PersistentFileReader*>(reader)->Serve();
    return 0;
}

void PersistentFileReader::Serve() noexcept
{
    while (::WaitForSingleObject(readerWake_.get(), INFINITE) == WAIT_OBJECT_0 && !quit_.load()) {
        if (!active_.load()) continue; // a late wake-up meant for a file already left
        Produce();
        active_.store(false);
        if (closerWaiting_.exchange(false)) ::SetEvent(idleEvent_.get());
    }
}

void PersistentFileReader::Produce() noexcept
{
    for (std::uint32_t filled = filled_.load();;) {
        if (stop_.load()) return; // Close takes the file
        if (filled - taken_.load() >= kSlots) {
            readerSleeping_.store(true);
            if (filled - taken_.load() >= kSlots && !stop_.load()) {
                if (::WaitForSingleObject(readerWake_.get(), INFINITE) != WAIT_OBJECT_0) return;
            }
            continue;
        }
        std::uint8_t* slot = Slot(filled);
        DWORD got = 0;
        if (!::ReadFile(file_.get(), slot, chunkSize_, &got, nullptr)) {
            readFailed_.store(true);
            got = 0;
        }
        if (got != 0 && observer_) observer_(observerContext_, slot, got);
        sizes_[filled % kSlots] = got; // 0: the data has ended (or a read failed)
        filled_.store(++filled);
        if (callerSleeping_.exchange(false)) ::SetEvent(callerWake_.get());
        if (got == 0) {
            file_.reset();
            return;
        }
    }
}

std::uint32_t PersistentFileReader::Read(void* buffer) noexcept
{
    if (!open_ || ended_) return 0;
    const std::uint32_t taken = taken_.load();
    while (filled_.load() == taken) {
        callerSleeping_.store(true);
        if (filled_.load() != taken) break;
        if (!AwaitSignal(callerWake_.get())) {
            ended_ = true;
            return 0;
        }
    }
    const std::uint32_t size = sizes_[taken % kSlots];
    if (size == 0) {
        ended_ = true;
        return 0;
    }
    std::memcpy(buffer, Slot(taken), size);
    taken_.store(taken + 1);
    // Half the ring free: time for the thread to fill it again.
    if (filled_.load() - (taken + 1) <= kSlots / 2 && readerSleeping_.exchange(false)) WakeReader();
    return size;
}

void PersistentFileReader::Close() noexcept
{
    if (open_) {
        stop_.store(true);
        while (active_.load()) {
            closerWaiting_.store(true);
            if (!active_.load()) break;
            WakeReader();
            if (!AwaitSignal(idleEvent_.get())) break;
        }
    }
    file_.reset();
    open_ = false;
    ended_ = false;
    readFailed_.store(false);
    fileSize_ = 0;
    observer_ = nullptr;
}

} // namespace lumbrix
