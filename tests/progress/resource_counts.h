#pragma once
// How many kernel handles and GDI objects this process holds.

#include <windows.h>

#include <cstddef>

namespace lumbrix::test {

// Handles of this process, as the system lists them.
std::size_t KernelHandleCount();
// GDI objects of this process (GetGuiResources; under Wine, which answers 0
// there, the used entries of the process's GDI handle table).
std::size_t GdiObjectCount();

} // namespace lumbrix::test
