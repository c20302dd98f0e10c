#pragma once
// Jobs with given result lines, for the output phases.

#include "job/copy_job.h"

#include <memory>
#include <string>
#include <vector>

namespace lumbrix::test {

using JobPointer = CopyJobPointer;

// A running job whose result list holds lines, with totalChars to match.
JobPointer MakeJob(const std::vector<std::wstring>& lines);

// Lines "line 0000001 ..." of the given length each, for long runs.
std::vector<std::wstring> ManyLines(std::size_t count, std::size_t length);

// Every byte of a file; empty when it cannot be read.
std::string ReadFileBytes(const std::wstring& path);
bool FileExists(const std::wstring& path);

} // namespace lumbrix::test
