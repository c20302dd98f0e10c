#pragma once
// One expansion's request, results and report, and the lines it produced.

#include "job/path_forms.h"
#include "job/selection_expansion.h"
#include "support/phase_job.h"

#include <algorithm>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

namespace lumbrix::test {

// A job in mode with the given selection and options (OutputDirectory as given
// by listFolders, every flag in set switched on).
inline JobPointer MakeJob(std::int32_t mode, const std::vector<std::wstring>& selection,
                          std::initializer_list<OptionFlag> set = {}, bool listFolders = true)
{
    JobPointer job = NewPhaseJob();
    job->request.mode = mode;
    for (const std::wstring& path : selection) job->request.selection.Insert(path);
    job->request.options[OutputDirectory] = listFolders;
    for (OptionFlag flag : set) job->request.options[flag] = true;
    return job;
}

inline void ExpandSelection(PhaseJob& job, const StepHook& afterFolder = {})
{
    lumbrix::ExpandSelection(job.request, job.results, job.report, afterFolder);
}

inline void AddEntry(PhaseJob& job, const std::wstring& base, const std::wstring& rel, std::int64_t size, bool folder)
{
    lumbrix::AddEntry(job.request, job.results, job.report, base, rel, size, folder);
}

// The texts of the result lines, in the list's order.
inline std::vector<std::wstring> Lines(PhaseJob& job)
{
    std::vector<std::wstring> lines;
    for (const ResultLine& line : job.results.lines) lines.push_back(line.Text());
    return lines;
}

// lines as the result list orders them (lstrcmpiW), for names whose order
// is not obvious.
inline std::vector<std::wstring> InListOrder(std::vector<std::wstring> lines)
{
    std::stable_sort(lines.begin(), lines.end(), [](const std::wstring& a, const std::wstring& b) {
        return ::lstrcmpiW(a.c_str(), b.c_str()) < 0;
    });
    return lines;
}

// The lines of a fresh job in mode, with the given path and quote styles.
inline std::vector<std::wstring> ExpandStyled(std::int32_t mode, const std::vector<std::wstring>& selection,
                                              PathStyle style, QuoteStyle quotes = QuoteStyle::None,
                                              std::initializer_list<OptionFlag> set = {})
{
    JobPointer job = MakeJob(mode, selection, set);
    if (!job) return {};
    job->request.options.pathStyle = style;
    job->request.options.quoteStyle = quotes;
    ExpandSelection(*job);
    return Lines(*job);
}

// Expands a fresh job and returns its lines.
inline std::vector<std::wstring> Expand(std::int32_t mode, const std::vector<std::wstring>& selection,
                                        std::initializer_list<OptionFlag> set = {}, bool listFolders = true)
{
    JobPointer job = MakeJob(mode, selection, set, listFolders);
    if (!job) return {};
    ExpandSelection(*job);
    return Lines(*job);
}

} // namespace lumbrix::test
