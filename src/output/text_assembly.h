#pragma once

namespace lumbrix {

struct CopyJob;

// Assembles the lines into job.clipboardText; false after a reported failure or a cancel.
bool BuildText(CopyJob& job) noexcept;

} // namespace lumbrix
