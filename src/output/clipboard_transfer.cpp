// Placeholder until the clipboard transfer is written.
#include "output/clipboard_transfer.h"

namespace lumbrix {
bool CopyToClipboard(CopyJob&) noexcept { return false; }
} // namespace lumbrix
