#pragma once
// How many processors this process may run on.

namespace lumbrix {

// The processors of the process's affinity mask, or the system's count when
// the mask cannot be read; at least 1.
unsigned UsableProcessorCount() noexcept;

} // namespace lumbrix
