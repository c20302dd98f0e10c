// Placeholder until the walk is written.
#include "job/selection_expansion.h"

namespace lumbrix {
void ExpandSelection(CopyJob&) {}
void WalkFolder(CopyJob&, const std::wstring&, const std::wstring&, const std::wstring&) {}
std::uint64_t QueryFileSize(const std::wstring&) noexcept { return 0; }
} // namespace lumbrix
