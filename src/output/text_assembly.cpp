// Placeholder until text assembly is written.
#include "output/text_assembly.h"

namespace lumbrix {
bool BuildText(CopyJob&) noexcept { return false; }
} // namespace lumbrix
