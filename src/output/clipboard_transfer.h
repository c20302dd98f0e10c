#pragma once
// Hands the assembled block to the clipboard.

#include "common/step_hooks.h"

namespace lumbrix {

class ProgressReport;
struct CopyResults;

// Gives results.text to the clipboard as CF_UNICODETEXT; the block leaves
// results either way. False after a reported failure, and silently when the
// copy is cancelled or holds no block. afterFailedTry is called after each
// failed try to open the clipboard.
[[nodiscard]] bool CopyToClipboard(CopyResults& results, ProgressReport& report,
                                   const StepHook& afterFailedTry = {}) noexcept;

} // namespace lumbrix
