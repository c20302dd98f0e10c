#pragma once
// Threads that may outlive the copy that started them (a network lookup that
// does not answer) hold the module, as the copy's worker does.

#include "job/network_drive_names.h"

namespace lumbrix {

// A DetachedThreadStarter: the module stays loaded until the thread's last
// instruction, however long after the shell released the handler that runs.
bool StartThreadHoldingModule(DetachedWork work, void* context) noexcept;

} // namespace lumbrix
