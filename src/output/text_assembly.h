#pragma once

#include <cstdint>

namespace lumbrix {

struct CopyJob;
struct ResultLine;

// Assembles the lines into job.results.text; false after a reported failure or a cancel.
bool BuildText(CopyJob& job) noexcept;

// Size in bytes of the block for the job's lines: the lines with CR LF after
// each, and a terminating NUL.
std::uint64_t TextBlockBytes(CopyJob& job) noexcept;

// The detail text "(position/lineCount) line", as the output phases show it.
void ShowLine(CopyJob& job, std::uint64_t position, std::uint64_t lineCount, const ResultLine& line) noexcept;

} // namespace lumbrix
