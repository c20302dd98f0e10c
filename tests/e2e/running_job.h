#pragma once
// A whole job run in this process as the menu handler starts it: on a worker
// thread of its own, with its exit code kept, cancelled on request in a
// phase, at a known point.

#include "shellext/copy_job.h"
#include "shellext/copy_worker.h"

#include <atomic>
#include <initializer_list>
#include <string>
#include <thread>

namespace lumbrix::test {

inline CopyJobPointer NewJob(std::int32_t mode, const std::wstring& path, std::initializer_list<OptionFlag> options)
{
    CopyJobPointer job = CreateCopyJob();
    if (!job) return nullptr;
    job->request.mode = mode;
    job->request.selection.Insert(path);
    job->request.folderCount = 1;
    for (OptionFlag flag : options) job->request.options[flag] = true;
    return job;
}

// A cancel, as the Cancel button makes it, from inside the phase whose status
// starts with phase: after a folder listed, a chunk digested or a line
// written, on the thread that did it.
struct PhaseCancel {
    std::wstring phase;
    std::atomic<bool> done{false};
};

inline void CancelInPhase(ProgressReport& report, void* context)
{
    auto& cancel = *static_cast<PhaseCancel*>(context);
    if (std::wstring(report.StatusText().c_str()).rfind(cancel.phase, 0) == 0 && report.Stop()) cancel.done = true;
}

// Runs the worker on a thread of its own, as the menu handler does, but keeps
// the exit code. With cancelPhase, the job is cancelled in that phase.
class RunningJob {
public:
    explicit RunningJob(CopyJobPointer job, std::wstring cancelPhase = {})
        : job_(job.get())
    {
        if (!cancelPhase.empty()) {
            cancel_.phase = std::move(cancelPhase);
            const StepHook cancel{CancelInPhase, &cancel_};
            job->hooks.afterFolder = cancel;
            job->hooks.afterChunk = cancel;
            job->hooks.afterLine = cancel;
        }
        thread_ = std::thread([this, owned = std::move(job)]() mutable { exitCode_ = RunCopyJob(std::move(owned)); });
    }
    ~RunningJob()
    {
        if (thread_.joinable()) thread_.join();
    }
    DWORD Wait()
    {
        thread_.join();
        return exitCode_;
    }
    // Whether the cancel that the constructor was given has landed.
    bool Cancelled() const { return cancel_.done; }
    // Clears running, as the Cancel button does, once the worker shows a status
    // that starts with phase; for the sorting, which has no hook. False when
    // the job ended first.
    bool CancelDuring(const std::wstring& phase)
    {
        const DWORD start = ::GetTickCount();
        while (::GetTickCount() - start < 10000) {
            if (done()) return false;
            if (std::wstring(job_->progress.StatusText().c_str()).rfind(phase, 0) == 0) {
                job_->progress.Stop();
                return true;
            }
            ::Sleep(0);
        }
        return false;
    }
    bool done() const { return exitCode_ != kNotDone; }

private:
    static constexpr DWORD kNotDone = 0xFFFFFFFF;
    CopyJob* job_; // owned and freed by the worker
    PhaseCancel cancel_;
    std::atomic<DWORD> exitCode_{kNotDone};
    std::thread thread_;
};

} // namespace lumbrix::test
