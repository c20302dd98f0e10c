#pragma once
// The worker thread of one job (a copy, or a checksum command): it runs the
// phases in order and owns the job from the moment it starts.

#include "shellext/copy_job.h"

#include <windows.h>

#include <cstdint>
#include <string>

namespace lumbrix {

// Exit codes of the worker thread.
enum CopyJobExit : DWORD {
    CopyJobDone = 0,          // the text reached the clipboard or a file
    CopyJobMissing = 1,       // started without a job
    CopyJobHashCancelled = 2, // the hashing pass stopped before its end
    CopyJobNoOutput = 3,      // neither clipboard nor file received the text
    CopyJobCancelled = 4,     // stopped by Cancel outside the hashing pass
};

// Drives one job from the progress window to the output; the job is gone
// when it returns.
DWORD RunCopyJob(CopyJobPointer job) noexcept;

// One paragraph of an end notice from a format of the string table: the
// count and the first path (oneId's format, "%ls", when it is the only one;
// manyId's, "%llu" then "%ls", otherwise), after a blank line when text has
// some already. Nothing for a count of 0. Throws std::bad_alloc.
void AppendUnread(std::wstring& text, std::uint64_t count, const std::wstring& first, UINT oneId, UINT manyId);

// The window shows "Done", its elapsed time stopped.
void ShowFinished(ProgressReport& report) noexcept;
// The end of a job that delivered: "Done", the system's sound, what the
// output lacks told by tellLeftOut, and a second's pause.
void ShowCompletion(CopyJob& job, void (*tellLeftOut)(const CopyJob&, ProgressReport&) noexcept) noexcept;

// Starts the worker thread, which takes the job and holds a module reference
// until it ends. On failure nothing is started and job is left as it was.
[[nodiscard]] bool StartCopyJobThread(CopyJobPointer& job) noexcept;

} // namespace lumbrix
