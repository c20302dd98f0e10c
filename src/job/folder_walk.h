#pragma once
// The walk below one selected folder, with its progress within the selected
// item's share of the bar.

#include "common/step_hooks.h"

#include <cstdint>
#include <string>

namespace lumbrix {

class ProgressReport;
struct CopyRequest;
struct CopyResults;

// The progress range of the walking modes: each selected item has an equal
// share of it, and a walk moves through its share as it goes.
inline constexpr std::uint64_t kWalkProgressScale = 65535;

// The positions at which a selected item's walk begins and ends.
struct WalkSpan {
    std::uint64_t from = 0;
    std::uint64_t to = 0;
};

// Lists the folder base\name and everything below it into results, in the
// request's mode and options. Stops at the next entry once report is no longer
// running; afterFolder is called after each folder listed.
void WalkFolder(const CopyRequest& request, CopyResults& results, ProgressReport& report, const std::wstring& base,
                const std::wstring& name, WalkSpan span, const StepHook& afterFolder = {});

} // namespace lumbrix
