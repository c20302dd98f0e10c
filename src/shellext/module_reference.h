#pragma once
// Keeps the module loaded while a copy's worker thread runs: the shell may
// release the handler and unload the DLL long before the copy ends.

#include "common/unique_any.h"

#include <windows.h>

namespace lumbrix {

using ModuleReference = UniqueModule;

// A reference to the module that contains this code; empty on failure.
ModuleReference AcquireModuleReference() noexcept;

// Ends the calling thread and drops the reference in one step, so that no
// code of the module runs after the reference is gone.
[[noreturn]] void ExitThreadReleasingModule(ModuleReference module, DWORD exitCode) noexcept;

} // namespace lumbrix
