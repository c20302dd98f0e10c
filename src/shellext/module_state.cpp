#include "shellext/module_state.h"

namespace lumbrix {

std::atomic<LONG> objectCount{0};

} // namespace lumbrix
