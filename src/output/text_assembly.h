#pragma once
// Joins the result lines into the one global block that goes to the clipboard.

#include "common/step_hooks.h"

#include <cstdint>

namespace lumbrix {

class ProgressReport;
struct CopyResults;
struct ResultLine;

// Assembles results.lines into results.text, CR LF between the lines or,
// with singleLine, one space; false after a reported failure or a cancel.
// afterLine is called after each line written.
[[nodiscard]] bool BuildText(CopyResults& results, ProgressReport& report, bool singleLine = false,
                             const StepHook& afterLine = {}) noexcept;

// Size in bytes of the block for the lines: the lines with CR LF after each,
// and a terminating NUL (lines joined by spaces leave the rest zero).
std::uint64_t TextBlockBytes(const CopyResults& results) noexcept;

// The detail text "(position/lineCount) line", as the output phases show it.
void ShowLine(ProgressReport& report, std::uint64_t position, std::uint64_t lineCount, const ResultLine& line) noexcept;

} // namespace lumbrix
