#include "common/module_identity.h"

namespace lumbrix {

HINSTANCE moduleInstance = nullptr;

} // namespace lumbrix
