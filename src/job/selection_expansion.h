#pragma once
// Turns the selection into result lines, walking folders in the walking modes.

#include <cstdint>
#include <string>

namespace lumbrix {

struct CopyJob;

void ExpandSelection(CopyJob& job);
void WalkFolder(CopyJob& job, const std::wstring& base, const std::wstring& prefix,
                const std::wstring& name);
std::uint64_t QueryFileSize(const std::wstring& path) noexcept;

} // namespace lumbrix
