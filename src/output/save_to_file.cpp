// Placeholder until the save-to-file fallback is written.
#include "output/save_to_file.h"

namespace lumbrix {
bool SaveToFile(CopyJob&) noexcept { return false; }
} // namespace lumbrix
