#pragma once
// How a phase of a copy reports while it runs, and how it learns of a Cancel.
// The job's side of the progress lives here: the running flag, the position
// and the two text lines. The phases write them in place, with no call per
// item, and the progress window reads them on its timer. What has to reach the
// window itself is a virtual call: the progress window implements those, a
// test records them. No phase posts a window message of its own.

#include "common/progress_text.h"

#include <windows.h>

#include <atomic>
#include <cstdint>

namespace lumbrix {

class ProgressReport {
public:
    ProgressReport() noexcept = default;
    ProgressReport(const ProgressReport&) = delete;
    ProgressReport& operator=(const ProgressReport&) = delete;

    // The cancel check. running only ever goes from true to false: by the
    // Cancel button, by the window's end, or by the worker closing the window.
    bool IsRunning() const noexcept { return running_.load(std::memory_order_acquire); }
    // For a wait that polls the flag itself (the clipboard's retries, the sorting).
    const std::atomic<bool>& RunningFlag() const noexcept { return running_; }
    // Clears running; true when this call was the one that did.
    bool Stop() noexcept { return running_.exchange(false, std::memory_order_acq_rel); }

    // The bar's position within the range of the step at hand.
    std::uint64_t Position() const noexcept { return position_.load(std::memory_order_relaxed); }
    void SetPosition(std::uint64_t position) noexcept { position_.store(position, std::memory_order_relaxed); }
    // Moves the bar forward only: for several writers at once.
    void RaisePosition(std::uint64_t position) noexcept
    {
        std::uint64_t shown = position_.load(std::memory_order_relaxed);
        while (shown < position && !position_.compare_exchange_weak(shown, position, std::memory_order_relaxed)) {
        }
    }
    // For a long sort that reports through a counter of its own.
    std::atomic<std::uint64_t>& PositionCounter() noexcept { return position_; }

    // The first line (the step at hand) and the second (the item at hand).
    ProgressText& StatusText() noexcept { return statusText_; }
    const ProgressText& StatusText() const noexcept { return statusText_; }
    ProgressText& DetailText() noexcept { return detailText_; }
    const ProgressText& DetailText() const noexcept { return detailText_; }

    // The range of the step that begins; the phase does not wait for it.
    virtual void SetRange(std::uint64_t end) noexcept = 0;
    // Shows the texts and the position now. RedrawAndWait returns once the
    // window has done so: before the clipboard is touched, and at the end.
    virtual void Redraw() noexcept = 0;
    virtual void RedrawAndWait() noexcept = 0;
    // Stops the refresh timer, and with it the elapsed time, before a box
    // that blocks the phase (returns once it has stopped); ResumeTimer starts
    // it again when the work goes on.
    virtual void FreezeTimer() noexcept = 0;
    virtual void ResumeTimer() noexcept = 0;
    // The owner of a box shown during the copy: the progress window, or none.
    virtual HWND BoxOwner() const noexcept = 0;

protected:
    ~ProgressReport() = default;

private:
    std::atomic<bool> running_{true};
    std::atomic<std::uint64_t> position_{0};
    ProgressText statusText_;
    ProgressText detailText_;
};

} // namespace lumbrix
