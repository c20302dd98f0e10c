#pragma once
// What the phases of a copy read and write, without a whole copy job: the
// request, the results and a recording stand-in for the progress window.

#include "job/copy_request.h"
#include "job/copy_results.h"
#include "support/recording_report.h"

#include <memory>

namespace lumbrix::test {

struct PhaseJob {
    CopyRequest request;
    CopyResults results;
    RecordingReport report;
};

// On the heap: the report's two texts take 128 KiB.
using JobPointer = std::unique_ptr<PhaseJob>;

inline JobPointer NewPhaseJob() { return std::make_unique<PhaseJob>(); }

} // namespace lumbrix::test
