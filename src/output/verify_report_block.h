#pragma once
// A verification's report as a clipboard block.

#include "common/unique_any.h"
#include "job/verify_outcome.h"

namespace lumbrix {

// The report (WriteReport) and a NUL in a movable global block, as
// CF_UNICODETEXT takes it; an empty owner when memory runs out. With release
// the store is spent by the writing (see WriteReport).
UniqueHGlobal BuildVerifyReportBlock(ChecksumStore& store, const VerifyStatusTexts& texts, bool release) noexcept;

} // namespace lumbrix
