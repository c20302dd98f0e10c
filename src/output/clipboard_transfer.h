#pragma once

namespace lumbrix {

struct CopyJob;

// Hands job.results.text to the clipboard as CF_UNICODETEXT.
bool CopyToClipboard(CopyJob& job) noexcept;

} // namespace lumbrix
