#pragma once
// The worker thread of one copy: it runs the phases in order and owns the job
// from the moment it starts.

#include "shellext/copy_job.h"

#include <windows.h>

namespace lumbrix {

// Exit codes of the worker thread.
enum CopyJobExit : DWORD {
    CopyJobDone = 0,          // the text reached the clipboard or a file
    CopyJobMissing = 1,       // started without a job
    CopyJobHashCancelled = 2, // the hashing pass stopped before its end
    CopyJobNoOutput = 3,      // neither clipboard nor file received the text
    CopyJobCancelled = 4,     // stopped by Cancel outside the hashing pass
};

// Drives one copy from the progress window to the output; the job is gone
// when it returns.
DWORD RunCopyJob(CopyJobPointer job) noexcept;

// Starts the worker thread, which takes the job and holds a module reference
// until it ends. On failure nothing is started and job is left as it was.
[[nodiscard]] bool StartCopyJobThread(CopyJobPointer& job) noexcept;

} // namespace lumbrix
