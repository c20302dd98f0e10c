#pragma once
// Reads every listed file once and appends the digest columns.

namespace lumbrix {

struct CopyJob;

// True when every entry was processed; false when the job was cancelled.
bool ComputeHashes(CopyJob& job);

} // namespace lumbrix
