#pragma once
// The worker's sequences for the two checksum commands: creating a checksum
// file of the selection, and verifying files against expected digests.

#include "shellext/copy_job.h"

#include <windows.h>

namespace lumbrix {

// The create command's Save dialog, before anything else: the user picks the
// file and its digest while nothing is read yet, so that a Cancel there
// costs nothing. Owned by the window the command came from. False when the
// user cancelled (or there is nothing selected).
[[nodiscard]] bool ChooseChecksumTarget(CopyJob& job) noexcept;

// With the progress window: the files below the selection read once and
// their digests written to the chosen file. Returns a CopyJobExit.
DWORD RunCreateChecksumPhases(CopyJob& job) noexcept;

// With the progress window: the expected digests read (a checksum file
// selected alone, or the clipboard), each file read once, the outcome shown,
// and the report put on the clipboard when the user asks. Returns a
// CopyJobExit.
DWORD RunVerifyPhases(CopyJob& job) noexcept;

} // namespace lumbrix
