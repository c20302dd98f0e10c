#pragma once
// Turns the selection into result lines, walking folders in the walking
// modes; then the lines are put in order, in a phase of their own.

#include <cstdint>
#include <string>

namespace lumbrix {

struct CopyJob;

// The progress range of the walking modes: each selected item has an equal
// share of it, and a walk moves through its share as it goes.
inline constexpr std::uint64_t kWalkProgressScale = 65535;

// The positions at which a selected item's walk begins and ends.
struct WalkSpan {
    std::uint64_t from = 0;
    std::uint64_t to = 0;
};

void ExpandSelection(CopyJob& job);
// Lists the folder base\name and everything below it.
void WalkFolder(CopyJob& job, const std::wstring& base, const std::wstring& name, WalkSpan span);
std::uint64_t QueryFileSize(const std::wstring& path) noexcept;

// Sorts the lines and removes duplicates, with its own status and progress;
// false when the job was cancelled first (the list is then empty).
bool ArrangeResults(CopyJob& job);

} // namespace lumbrix
