#pragma once
// The count of COM references and server locks that DllCanUnloadNow reports.

#include <windows.h>

#include <atomic>

namespace lumbrix {

extern std::atomic<LONG> objectCount;

} // namespace lumbrix
