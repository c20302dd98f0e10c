#pragma once
// The worker thread of one copy.

#include <windows.h>

namespace lumbrix {

struct CopyJob;

// Exit codes of the worker thread.
enum CopyJobExit : DWORD {
    CopyJobDone = 0,          // the text reached the clipboard or a file
    CopyJobMissing = 1,       // started without a job
    CopyJobHashCancelled = 2, // the hashing pass stopped before its end
    CopyJobNoOutput = 3,      // neither clipboard nor file received the text
};

// Drives one copy from the progress window to the output and frees the job on
// every way out.
DWORD RunCopyJob(CopyJob* job) noexcept;

// Starts the worker thread for job; the thread holds a module reference until
// it ends. On failure nothing is started and the caller still owns the job.
bool StartCopyJobThread(CopyJob* job) noexcept;

} // namespace lumbrix
