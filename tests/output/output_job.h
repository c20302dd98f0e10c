#pragma once
// Jobs with given result lines, for the output phases.

#include "output/clipboard_transfer.h"
#include "output/save_to_file.h"
#include "output/text_assembly.h"
#include "support/phase_job.h"

#include <string>
#include <vector>

namespace lumbrix::test {

// A running job whose result list holds lines, with totalChars to match.
JobPointer MakeJob(const std::vector<std::wstring>& lines);

// The output phases on a job, with their hooks.
inline bool BuildText(PhaseJob& job, const StepHook& afterLine = {}, bool singleLine = false)
{
    return lumbrix::BuildText(job.results, job.report, singleLine, afterLine);
}
inline bool CopyToClipboard(PhaseJob& job, const StepHook& afterFailedTry = {})
{
    return lumbrix::CopyToClipboard(job.results, job.report, afterFailedTry);
}
inline bool SaveToFile(PhaseJob& job, const StepHook& afterLine = {}, bool singleLine = false)
{
    return lumbrix::SaveToFile(job.results.lines, job.report, singleLine, afterLine);
}

// Lines "line 0000001 ..." of the given length each, for long runs.
std::vector<std::wstring> ManyLines(std::size_t count, std::size_t length);

// Every byte of a file; empty when it cannot be read.
std::string ReadFileBytes(const std::wstring& path);
bool FileExists(const std::wstring& path);

} // namespace lumbrix::test
