#pragma once
// A stand-in for the progress window: the phases write the base's texts and
// position as they would for the window, and every call that would reach the
// window is recorded, in order ("range 65535", "redraw", "redraw and wait",
// "freeze", "resume"). Safe to call from several threads at once, and it
// allocates nothing while a phase runs (a test may make allocation fail).

#include "common/progress_report.h"

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace lumbrix::test {

class RecordingReport final : public ProgressReport {
public:
    RecordingReport() { calls_.reserve(kMaxCalls); }

    void SetRange(std::uint64_t end) noexcept override { Record(Kind::Range, end); }
    void Redraw() noexcept override { Record(Kind::Redraw); }
    void RedrawAndWait() noexcept override { Record(Kind::RedrawAndWait); }
    void FreezeTimer() noexcept override { Record(Kind::Freeze); }
    void ResumeTimer() noexcept override { Record(Kind::Resume); }
    HWND BoxOwner() const noexcept override { return owner; }

    std::vector<std::wstring> Calls() const
    {
        ::AcquireSRWLockShared(&lock_);
        const std::vector<Call> calls = calls_;
        ::ReleaseSRWLockShared(&lock_);
        std::vector<std::wstring> texts;
        for (const Call& call : calls) {
            switch (call.kind) {
            case Kind::Range: texts.push_back(L"range " + std::to_wstring(call.value)); break;
            case Kind::Redraw: texts.push_back(L"redraw"); break;
            case Kind::RedrawAndWait: texts.push_back(L"redraw and wait"); break;
            case Kind::Freeze: texts.push_back(L"freeze"); break;
            case Kind::Resume: texts.push_back(L"resume"); break;
            }
        }
        return texts;
    }

    HWND owner = nullptr; // of the boxes the phases show

private:
    enum class Kind { Range, Redraw, RedrawAndWait, Freeze, Resume };
    struct Call {
        Kind kind;
        std::uint64_t value;
    };
    static constexpr std::size_t kMaxCalls = 256; // the calls past these are dropped

    void Record(Kind kind, std::uint64_t value = 0) noexcept
    {
        ::AcquireSRWLockExclusive(&lock_);
        if (calls_.size() < kMaxCalls) calls_.push_back(Call{kind, value});
        ::ReleaseSRWLockExclusive(&lock_);
    }

    mutable SRWLOCK lock_ = SRWLOCK_INIT;
    std::vector<Call> calls_;
};

} // namespace lumbrix::test
