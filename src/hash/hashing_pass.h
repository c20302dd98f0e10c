#pragma once
// Reads every listed file once and appends the digest columns.

namespace lumbrix {

struct CopyJob;

// True when every entry was processed; false when the job was cancelled.
bool ComputeHashes(CopyJob& job);

// Which reader the pass uses: a reader thread per file, or one for the whole
// pass (the default; far cheaper per file, see tools/bench-hashing.sh).
enum class ReaderThreads { PerFile, PerPass };

struct HashingPassSettings {
    ReaderThreads readers = ReaderThreads::PerPass;
    // Called after each chunk has been counted and digested, on the worker.
    void (*afterChunk)(CopyJob& job, void* context) = nullptr;
    void* context = nullptr;
};

bool ComputeHashes(CopyJob& job, const HashingPassSettings& settings);

} // namespace lumbrix
