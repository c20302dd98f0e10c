#pragma once
// Sorted runs of result lines. The lines are added in batches; each sealed
// batch is sorted by the lines' collation keys and written as a front-coded
// run that carries the keys, the same line once (the first added). A thread of
// its own sorts the sealed batches while lines are still being added, so that
// the keys, the costliest part, are made while the walk waits on the file
// system; what is left when the walk ends is sorted by the calling thread and
// that thread together. Where no processor is to spare beside the walk, the
// thread starts only then.
//
// The handoff: a sealed batch passes to the sorting thread through a queue
// under a lock, and its run comes back under the same lock.

#include "common/unique_any.h"
#include "job/chunked_bytes.h"

#include <windows.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <vector>

namespace lumbrix {

// Of ResultList::ArrangeSteps' four steps per line, the sorting of batches
// takes three (the keys are most of the work); the merge takes the fourth.
inline constexpr unsigned kSortStepsPerLine = 3;

// What a long sort reports to and obeys; either may be null.
struct ArrangeWatch {
    const std::atomic<bool>* running = nullptr;     // false: stop
    std::atomic<std::uint64_t>* position = nullptr; // of ResultList::ArrangeSteps

    bool Cancelled() const noexcept { return running && !running->load(std::memory_order_acquire); }
    void Report(std::uint64_t steps) const noexcept
    {
        if (position) position->store(steps, std::memory_order_relaxed);
    }
};

class SortedRuns {
public:
    // Keys in locale when useKeys, else lstrcmpiW in that locale alone.
    SortedRuns(LCID locale, bool useKeys) noexcept : locale_(locale), useKeys_(useKeys) {}
    ~SortedRuns();
    SortedRuns(const SortedRuns&) = delete;
    SortedRuns& operator=(const SortedRuns&) = delete;

    // Takes a sealed batch of lines (batch is left empty). With startThread,
    // the sorting thread starts if it has not. Throws std::bad_alloc; batch
    // is then left as it was.
    void Add(ChunkedBytes& batch, bool startThread);

    // Sorts every batch still queued, with the thread's help, and gives the
    // runs in the order of their batches. False when watch.running went
    // false. A failure of the thread comes out here.
    [[nodiscard]] bool Finish(const ArrangeWatch& watch, std::vector<ChunkedBytes>& runs);

    // Of kSortStepsPerLine for every line sealed, the steps done so far.
    std::uint64_t StepsDone() const noexcept { return stepsDone_.load(std::memory_order_relaxed); }

private:
    struct Sealed {
        ChunkedBytes lines;
        std::size_t sequence = 0;
    };

    static DWORD WINAPI ThreadProc(void* runs);
    void RunThread() noexcept;
    // Sorts one batch into runs_[sequence]; false when told to stop first.
    [[nodiscard]] bool Sort(Sealed& batch, const ArrangeWatch& watch);
    [[nodiscard]] bool TakeQueued(Sealed& batch) noexcept; // under lock_
    void StartThread() noexcept;              // unless it runs or has been stopped
    void Stop() noexcept;

    const LCID locale_;
    const bool useKeys_;
    SRWLOCK lock_ = SRWLOCK_INIT;
    CONDITION_VARIABLE changed_ = CONDITION_VARIABLE_INIT;
    std::vector<Sealed> queue_;        // under lock_; a few batches at most
    std::vector<ChunkedBytes> runs_;   // under lock_; by sequence
    std::size_t sealed_ = 0;           // batches taken, under lock_
    bool threadBusy_ = false;          // under lock_
    std::exception_ptr failure_;       // under lock_
    std::atomic<bool> stop_{false};
    std::atomic<std::uint64_t> stepsDone_{0};
    UniqueHandle thread_;
};

} // namespace lumbrix
