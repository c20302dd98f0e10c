#pragma once
// The create command's last phase: the digests of the lines into the
// checksum file, in the lines' order.

#include "common/step_hooks.h"
#include "hash/checksum_algorithm.h"

#include <windows.h>

#include <cstdint>
#include <string>

namespace lumbrix {

class ChecksumFileWriter;
class ProgressReport;
class ResultList;

// Files the checksum file leaves out: their contents could not be read (or
// their name has no UTF-8 form). The first in the lines' order.
struct UnlistedFiles {
    std::uint64_t count = 0;
    std::wstring first;
};

// Hands each line's digest column of algorithm to writer (created for that
// algorithm), then puts the file in place. A line without the column (the
// file could not be read) is counted in unlisted, never listed. False after
// a failure, which the user has been told, or a cancel: an earlier file of
// that name then stays as it was. afterLine is called after each line.
[[nodiscard]] bool WriteChecksumFile(ResultList& lines, ChecksumFileWriter& writer, ChecksumAlgorithm algorithm,
                                     ProgressReport& report, UnlistedFiles& unlisted,
                                     const StepHook& afterLine = {}) noexcept;

// The box that tells the user why the checksum file at path was not saved:
// the system's text for error.
void ShowChecksumFileError(ProgressReport& report, const std::wstring& path, DWORD error) noexcept;

} // namespace lumbrix
