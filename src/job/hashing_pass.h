#pragma once
// Reads every listed file once and appends the digest columns. A pool of
// workers, one per processor (at most kMaxHashingWorkers), each takes whole
// files in list order and writes only its own lines, so the text is the one a
// single worker makes. The caller's thread is the first worker; every other
// thread of the pass has ended when ComputeHashes returns, an exception
// included (it comes out on the caller's thread).

#include "common/step_hooks.h"

namespace lumbrix {

class ProgressReport;
struct CopyResults;
struct OutputOptions;

constexpr unsigned kMaxHashingWorkers = 16;

struct HashingPassSettings {
    // How many workers; 0: DefaultHashingWorkers(). For the benchmark's table
    // and the tests (at most kMaxHashingWorkers).
    unsigned workers = 0;
    // After each chunk has been counted and digested, on the worker that read
    // it (so from several threads at once with several workers).
    StepHook afterChunk;
};

// The digests that options ask for, appended to results.lines; totalChars is
// counted again for the longer lines. True when every entry was processed;
// false when the copy was cancelled.
[[nodiscard]] bool ComputeHashes(CopyResults& results, const OutputOptions& options, ProgressReport& report,
                                 const HashingPassSettings& settings = {});

// The processors this process may run on, at most kMaxHashingWorkers.
unsigned DefaultHashingWorkers() noexcept;

} // namespace lumbrix
