#pragma once
// A test's way into a phase at a known point: a call after each unit of the
// phase's work, on the thread that did it, so that a test cancels at an exact
// place instead of racing the phase from another thread. Empty in the product,
// where each costs one test of a null pointer per unit.

namespace lumbrix {

class ProgressReport;

struct StepHook {
    void (*call)(ProgressReport& report, void* context) = nullptr;
    void* context = nullptr;

    void operator()(ProgressReport& report) const
    {
        if (call) call(report, context);
    }
};

// The hooks of every phase, as a whole copy carries them to its worker.
struct PhaseHooks {
    StepHook afterSelected;     // the expansion: after each selected item
    StepHook afterFolder;       // the walk: after each folder listed
    StepHook afterChunk;        // the hashing pass: after each chunk counted and digested
    StepHook afterLine;         // the text and the save: after each line written
    StepHook afterClipboardTry; // the clipboard: after each failed try to open it
};

} // namespace lumbrix
