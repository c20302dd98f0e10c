#pragma once
// A verification's end: the box that tells its outcome, and the report on
// the clipboard when the user asks for it.

#include "common/step_hooks.h"
#include "job/verify_outcome.h"

namespace lumbrix {

class ProgressReport;
struct CopyResults;

// The status texts that the box and the report use, indexed by VerifyStatus.
const VerifyStatusTexts& StatusTexts() noexcept;

// The box's text: the first line, a line per status that any entry ended in
// and, for one file against one digest (both given), the expected and the
// computed digest; the question last when something did not match. Throws
// std::bad_alloc.
std::wstring VerifyResultText(const VerifyCounts& counts, const ChecksumDigest* expected,
                              const ChecksumDigest* computed);

// Shows the outcome, owned by the progress window: every entry matched: the
// information icon; otherwise the warning icon and Yes/No. True when the
// user answered Yes (the report is wanted).
[[nodiscard]] bool ShowVerifyResult(ProgressReport& report, const VerifyCounts& counts,
                                    const ChecksumDigest* expected, const ChecksumDigest* computed) noexcept;

// Puts the report of every entry on the clipboard ("<status>\t<full path>"
// and CR LF each); the store is spent. False after a failure, which the user
// has been told, or a cancel.
[[nodiscard]] bool CopyVerifyReport(ChecksumStore& store, CopyResults& results, ProgressReport& report,
                                    const StepHook& afterFailedTry = {}) noexcept;

} // namespace lumbrix
