// Placeholder until the options store is written.
#include "settings/output_options.h"

namespace lumbrix {
void LoadOutputOptions(OutputOptions& options) { options = OutputOptions{}; }
void SaveOutputOptions(const OutputOptions&) {}
} // namespace lumbrix
