#pragma once
// The first phase of a copy: turns the selection into result lines, walking
// folders in the walking modes. The lines are put in order afterwards, in a
// phase of their own (result_arrangement.h).

#include "common/step_hooks.h"

#include <cstdint>
#include <string>

namespace lumbrix {

class ProgressReport;
struct CopyRequest;
struct CopyResults;

// Stops at the next selected item or listed entry once report is no longer
// running. afterFolder is the walk's hook, afterSelected the one after each
// selected item.
void ExpandSelection(const CopyRequest& request, CopyResults& results, ProgressReport& report,
                     const StepHook& afterFolder = {}, const StepHook& afterSelected = {});

// The size of a file by its attributes; 0 for a folder or a file that cannot be asked.
std::uint64_t QueryFileSize(const std::wstring& path) noexcept;

} // namespace lumbrix
