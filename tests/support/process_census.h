#pragma once
// What this process holds: threads, kernel handles and GDI objects, to prove
// that nothing outlives the code under test. (Under Wine GetProcessHandleCount
// and GetGuiResources answer 0, so the counts come from the system's tables.)

#include <windows.h>

#include <cstddef>

namespace lumbrix::test {

// Threads of this process (a Toolhelp snapshot).
int ThreadCount();
// Handles of this process, as the system lists them.
std::size_t KernelHandleCount();
// GDI objects of this process (GetGuiResources; under Wine, which answers 0
// there, the used entries of the process's GDI handle table).
std::size_t GdiObjectCount();

} // namespace lumbrix::test
