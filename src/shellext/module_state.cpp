#include "shellext/module_state.h"

namespace lumbrix {

HINSTANCE moduleInstance = nullptr;
std::atomic<LONG> objectCount{0};

} // namespace lumbrix
