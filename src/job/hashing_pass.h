#pragma once
// Reads every listed file once and appends the digest columns. A pool of
// workers, one per processor (at most kMaxHashingWorkers), each takes whole
// files in list order and writes only its own lines, so the text is the one a
// single worker makes. The caller's thread is the first worker; every other
// thread of the pass has ended when ComputeHashes returns, an exception
// included (it comes out on the caller's thread).

namespace lumbrix {

struct CopyJob;

constexpr unsigned kMaxHashingWorkers = 16;

// True when every entry was processed; false when the job was cancelled.
bool ComputeHashes(CopyJob& job);

struct HashingPassSettings {
    // How many workers; 0: DefaultHashingWorkers(). For the benchmark's table
    // and the tests (at most kMaxHashingWorkers).
    unsigned workers = 0;
    // For tests: a call after each chunk has been counted and digested, on the
    // worker that read it (so from several threads at once with several workers).
    void (*afterChunk)(CopyJob& job, void* context) = nullptr;
    void* context = nullptr;
};

bool ComputeHashes(CopyJob& job, const HashingPassSettings& settings);

// The processors this process may run on, at most kMaxHashingWorkers.
unsigned DefaultHashingWorkers() noexcept;

} // namespace lumbrix
