#pragma once
// The contract of AsyncFileReader (Open, IsOpen, FileSize, Read, ReadFailed,
// Close, the same diagnostics), built for a pass over many files:
// - one reader thread serves file after file until the object is destroyed,
//   so a file costs no thread and no events of its own;
// - the thread reads ahead into a ring of kSlots chunks and goes back to
//   sleep only when the ring is full, and the caller wakes it only when half
//   of the ring is free again. Under Wine every wake-up is a server round
//   trip, so this saves most of them;
// - an observer, when given, sees every chunk on the reader thread before the
//   caller takes it: work that would otherwise wait for the caller (the
//   digests other than MD5) overlaps with the caller's own.
//
// Counters, flags and sleeping marks are atomics; a side that finds the
// other asleep wakes it through its auto-reset event. Every wait is in a loop
// that checks the state again, so a wake-up that comes late does no harm.

#include "common/unique_any.h"

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <string>

namespace lumbrix {

class PersistentFileReader {
public:
    // Called on the reader thread with each chunk, in file order.
    using ChunkObserver = void (*)(void* context, const std::uint8_t* data, std::uint32_t size);
    static constexpr std::uint32_t kSlots = 8;

    PersistentFileReader() noexcept = default;
    ~PersistentFileReader();
    PersistentFileReader(const PersistentFileReader&) = delete;
    PersistentFileReader& operator=(const PersistentFileReader&) = delete;

    // The observer runs until the data ends or Close returns.
    void Open(const std::wstring& path, std::uint32_t chunkSize, ChunkObserver observer = nullptr,
              void* context = nullptr) noexcept;
    // The same for a file already open (by OpenHashedFile) and partly read by
    // the caller: reading goes on from its current position, and FileSize
    // gives fileSize. Takes the file and returns true, or leaves it with the
    // caller and returns false when the ring or the thread cannot be had.
    bool Continue(UniqueFile& file, std::uint64_t fileSize, std::uint32_t chunkSize, ChunkObserver observer = nullptr,
                  void* context = nullptr) noexcept;
    bool IsOpen() const noexcept { return open_; }
    std::uint64_t FileSize() const noexcept { return fileSize_; }
    std::uint32_t Read(void* buffer) noexcept;
    // After Read has given 0: the data ended by a failed read, not at the end of the file.
    bool ReadFailed() const noexcept { return readFailed_.load(); }
    // Stops the reading of the file and closes it; the thread stays.
    void Close() noexcept;

private:
    void Begin(UniqueFile file, std::uint64_t fileSize, std::uint32_t chunkSize, ChunkObserver observer,
               void* context) noexcept;
    [[nodiscard]] bool ReserveRing(std::uint32_t chunkSize) noexcept;
    [[nodiscard]] bool StartThread() noexcept;
    void WakeReader() noexcept { ::SetEvent(readerWake_.get()); }
    // Waits on event unless the reader thread has ended; false when it has.
    [[nodiscard]] bool AwaitSignal(HANDLE event) noexcept;
    static DWORD WINAPI ThreadProc(void* reader);
    void Serve() noexcept;
    void Produce() noexcept;
    std::uint8_t* Slot(std::uint32_t chunk) const noexcept
    {
        return static_cast<std::uint8_t*>(ring_.get()) + std::size_t(chunk % kSlots) * chunkSize_;
    }

    UniqueHandle thread_;
    UniqueHandle readerWake_; // auto-reset: a file, free slots, a stop or the end of the object
    UniqueHandle callerWake_; // auto-reset: a chunk for a caller that sleeps in Read
    UniqueHandle idleEvent_;  // auto-reset: the thread left a file, for a caller in Close
    UniqueHeapBlock ring_;
    std::uint32_t ringChunkSize_ = 0;

    // Set up by Open before active_ goes true; the thread's own while active_.
    UniqueFile file_;
    std::uint32_t chunkSize_ = 0;
    ChunkObserver observer_ = nullptr;
    void* observerContext_ = nullptr;
    std::uint32_t sizes_[kSlots] = {}; // bytes in each slot; 0 marks the end

    std::atomic<std::uint32_t> filled_{0}; // chunks the thread has published
    std::atomic<std::uint32_t> taken_{0};  // chunks the caller has taken
    std::atomic<bool> active_{false};      // the thread owns the file
    std::atomic<bool> readFailed_{false};  // set before the end is published
    std::atomic<bool> stop_{false};
    std::atomic<bool> quit_{false};
    std::atomic<bool> readerSleeping_{false};
    std::atomic<bool> callerSleeping_{false};
    std::atomic<bool> closerWaiting_{false};

    // The caller's side.
    std::uint64_t fileSize_ = 0;
    bool open_ = false;
    bool ended_ = false;
};

} // namespace lumbrix
