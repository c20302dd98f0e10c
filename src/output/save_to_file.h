#pragma once
// The fallback when the clipboard did not take the text.

#include "common/step_hooks.h"

namespace lumbrix {

class ProgressReport;
class ResultList;

// Offers to save the lines as a UTF-16 file, CR LF between them or, with
// singleLine, one space; true when the whole text was written. afterLine is
// called after each line written.
[[nodiscard]] bool SaveToFile(ResultList& lines, ProgressReport& report, bool singleLine = false,
                              const StepHook& afterLine = {}) noexcept;

} // namespace lumbrix
