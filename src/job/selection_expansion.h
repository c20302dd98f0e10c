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

// Always runs to its end; after a cancel the selected items still get their
// own lines and every walk ends at once. afterFolder is the walk's hook.
void ExpandSelection(const CopyRequest& request, CopyResults& results, ProgressReport& report,
                     const StepHook& afterFolder = {});

// The size of a file by its attributes; 0 for a folder or a file that cannot be asked.
std::uint64_t QueryFileSize(const std::wstring& path) noexcept;

} // namespace lumbrix
