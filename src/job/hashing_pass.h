#pragma once
// Reads every listed file once and appends the digest columns.

namespace lumbrix {

struct CopyJob;

// True when every entry was processed; false when the job was cancelled.
bool ComputeHashes(CopyJob& job);

// For tests: a call after each chunk has been counted and digested, on the worker.
struct HashingPassSettings {
    void (*afterChunk)(CopyJob& job, void* context) = nullptr;
    void* context = nullptr;
};

bool ComputeHashes(CopyJob& job, const HashingPassSettings& settings);

} // namespace lumbrix
