#pragma once
// One job, from the menu to its worker thread: what was asked for, what the
// phases make, and its progress window. A copy's phases fill results; a
// checksum job's use results for the selection's files and fill checksum.

#include "common/step_hooks.h"
#include "job/checksum_results.h"
#include "job/copy_request.h"
#include "job/copy_results.h"
#include "progress/progress_window.h"

#include <memory>

namespace lumbrix {

struct CopyJob {
    CopyRequest request;
    CopyResults results;
    ChecksumResults checksum;
    ProgressWindow progress;
    PhaseHooks hooks; // for tests: empty in every copy the menus start
};

using CopyJobPointer = std::unique_ptr<CopyJob>;

// A new job, without throwing; null when memory runs out.
CopyJobPointer CreateCopyJob() noexcept;

} // namespace lumbrix
