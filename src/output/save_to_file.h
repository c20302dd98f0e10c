#pragma once

namespace lumbrix {

struct CopyJob;

// Offers to save the lines as a UTF-16 file; true when the whole text was written.
bool SaveToFile(CopyJob& job) noexcept;

} // namespace lumbrix
